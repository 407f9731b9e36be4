// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Telvarctl.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

namespace {

// The one-second paces of the sensitivity save and the hundred auto-tune pauses, shortened.
const QStringList kFast{QStringLiteral("TELVAR_TIME_DIVISOR=100")};

QJsonArray configOf(const QString& stateFile) {
    QFile file(stateFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("config")).toArray();
}

ProcessResult run(const QString& stateFile, const QStringList& words) {
    return runTelvarctl(QStringList{QStringLiteral("--simulate=") + stateFile} + words, {}, 60000, kFast);
}

} // namespace

class TelvarctlSettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savesReachTheStateFileAndReadBack() {
        QTemporaryDir dir;
        const QString state = dir.filePath(QStringLiteral("dev.json"));
        QCOMPARE(
            run(state, {QStringLiteral("sensitivity"), QStringLiteral("7"), QStringLiteral("120")}).exitCode,
            0);
        QCOMPARE(configOf(state).at(0).toInt(), 7);
        QCOMPARE(configOf(state).at(1).toInt(), 120);

        QCOMPARE(run(state, {QStringLiteral("voice"), QStringLiteral("save"), QStringLiteral("100"),
                             QStringLiteral("50"), QStringLiteral("254"), QStringLiteral("15")})
                     .exitCode,
                 0);
        ProcessResult rate = run(state, {QStringLiteral("rate"), QStringLiteral("1000")});
        QCOMPARE(rate.exitCode, 0);
        QCOMPARE(rate.out, QStringLiteral("1.150 Hz\n"));
        QCOMPARE(run(state, {QStringLiteral("power-save"), QStringLiteral("on")}).exitCode, 0);

        const ProcessResult settings = run(state, {QStringLiteral("settings")});
        QCOMPARE(settings.exitCode, 0);
        const QStringList lines = settings.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines.at(0), QStringLiteral("0\tgain\t7"));
        QCOMPARE(lines.at(4), QStringLiteral("4\tpitch\t254"));
        QCOMPARE(lines.at(8), QStringLiteral("8\tpower-save\t1"));
        QCOMPARE(lines.at(9), QStringLiteral("9\t-\t0"));
        QCOMPARE(lines.at(13), QStringLiteral("13\trate-high\t3"));

        rate = run(state, {QStringLiteral("rate")});
        QCOMPARE(rate.out, QStringLiteral("1.150 Hz\n"));

        const ProcessResult about = run(state, {QStringLiteral("about")});
        QCOMPARE(about.exitCode, 0);
        QVERIFY(!about.out.contains(QLatin1Char('\r')));
        QVERIFY(about.out.startsWith(QStringLiteral("Firmware version: 1.23A 4-\n")));
        QVERIFY(about.out.contains(QStringLiteral("\nCurrent Gain     0007.0 Min 1  max 10  \n")));
        QCOMPARE(run(state, {QStringLiteral("firmware")}).out,
                 QStringLiteral("Firmware version: 1.23A 4-\n"));
    }

    void factoryDefaultsAsksFirst() {
        QTemporaryDir dir;
        const QString state = dir.filePath(QStringLiteral("dev.json"));
        QCOMPARE(run(state, {QStringLiteral("voice"), QStringLiteral("save"), QStringLiteral("1"),
                             QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")})
                     .exitCode,
                 0);
        // No terminal to ask on and no --yes: refused, nothing changes.
        const ProcessResult refused = run(state, {QStringLiteral("factory-defaults")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.err.contains(QStringLiteral("No changes made")));
        QCOMPARE(configOf(state).at(2).toInt(), 1);

        QCOMPARE(run(state, {QStringLiteral("factory-defaults"), QStringLiteral("--yes")}).exitCode, 0);
        const QJsonArray config = configOf(state);
        QCOMPARE((QList<int>{config.at(2).toInt(), config.at(3).toInt(), config.at(4).toInt(),
                             config.at(5).toInt()}),
                 (QList<int>{127, 103, 89, 5}));
    }

    void autotunePrintsTheSuggestion() {
        const ProcessResult result = runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("--sensor"),
                                                   QStringLiteral("1200x100"), QStringLiteral("autotune")},
                                                  {}, 60000, kFast);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("Sugested Gain =  7\nSugested Offset =  50\n"));
    }

    void aSilentDeviceFailsTheVerb() {
        const ProcessResult result =
            runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("--fault"), QStringLiteral("drop:B"),
                          QStringLiteral("--timeout"), QStringLiteral("100"), QStringLiteral("rate"),
                          QStringLiteral("300")},
                         {}, 60000, kFast);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QStringLiteral("\"B\" 12")), qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
    }

    // Nothing reaches the device, so not even the state file is made.
    void badNumbersAreUsageErrors_data() {
        QTest::addColumn<QStringList>("words");
        QTest::newRow("gain 0") << QStringList{"sensitivity", "0", "120"};
        QTest::newRow("offset 256") << QStringList{"sensitivity", "5", "256"};
        QTest::newRow("offset missing") << QStringList{"sensitivity", "5"};
        QTest::newRow("volume 128") << QStringList{"voice", "save", "128", "0", "0", "0"};
        QTest::newRow("bend 16") << QStringList{"voice", "test", "0", "0", "0", "16"};
        QTest::newRow("pitch not a number") << QStringList{"voice", "save", "1", "2", "high", "3"};
        QTest::newRow("default with numbers") << QStringList{"voice", "default", "1"};
        QTest::newRow("rate 3") << QStringList{"rate", "3"};
        QTest::newRow("rate 1001") << QStringList{"rate", "1001"};
        QTest::newRow("amp maybe") << QStringList{"amp", "maybe"};
        QTest::newRow("power-save missing") << QStringList{"power-save"};
        QTest::newRow("autotune word") << QStringList{"autotune", "now"};
        QTest::newRow("settings word") << QStringList{"settings", "0"};
    }
    void badNumbersAreUsageErrors() {
        QFETCH(QStringList, words);
        QTemporaryDir dir;
        const QString state = dir.filePath(QStringLiteral("dev.json"));
        const ProcessResult result = run(state, words);
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.err.contains(QStringLiteral("--help")));
        QVERIFY(!QFile::exists(state));
    }
};

QTEST_GUILESS_MAIN(TelvarctlSettingsTest)
#include "TelvarctlSettingsTest.moc"
