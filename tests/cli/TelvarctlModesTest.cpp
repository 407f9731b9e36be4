// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Telvarctl.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using telvar::test::runTelvarctl;

class TelvarctlModesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The availability value reaches configuration bytes 14 and 15 of the device and is printed.
    void modesWritesTheAvailabilityBytes_data() {
        QTest::addColumn<QStringList>("off");
        QTest::addColumn<int>("value");
        QTest::newRow("all available") << QStringList{} << 255;
        QTest::newRow("dictionary off")
            << QStringList{QStringLiteral("--off"), QStringLiteral("dictionary")} << 254;
        QTest::newRow("touch and sync off")
            << QStringList{QStringLiteral("--off=touch"), QStringLiteral("--off"), QStringLiteral("sync")}
            << 119;
        QTest::newRow("a global option among them")
            << QStringList{QStringLiteral("--off=touch"), QStringLiteral("--timeout"), QStringLiteral("2000"),
                           QStringLiteral("--off"), QStringLiteral("sync")}
            << 119;
    }
    void modesWritesTheAvailabilityBytes() {
        QFETCH(QStringList, off);
        QFETCH(int, value);
        QTemporaryDir dir;
        const QString state = dir.filePath(QStringLiteral("device.json"));
        const auto result =
            runTelvarctl(QStringList{QStringLiteral("--simulate=") + state, QStringLiteral("modes")} + off);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QString::number(value) + QLatin1Char('\n'));

        QFile file(state);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray config =
            QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("config")).toArray();
        QCOMPARE(config.at(14).toInt(), value);
        QCOMPARE(config.at(15).toInt(), 0);
    }

    void modeSendsWithoutWaiting() {
        // No mode command is answered: even a device that answers nothing takes it at once.
        const auto result = runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("--fault"),
                                          QStringLiteral("delay:60000"), QStringLiteral("mode"),
                                          QStringLiteral("white-noise")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.isEmpty());
    }

    void unknownModesAreUsageErrors() {
        QCOMPARE(runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("mode"), QStringLiteral("Sync")})
                     .exitCode,
                 2);
        QCOMPARE(runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("modes"), QStringLiteral("--off"),
                               QStringLiteral("future")})
                     .exitCode,
                 2);
    }

    void offWordsThatAreOffAreUsageErrors_data() {
        QTest::addColumn<QStringList>("words");
        QTest::newRow("no name") << QStringList{QStringLiteral("--off")};
        QTest::newRow("name without --off") << QStringList{QStringLiteral("touch")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--on=touch")};
    }
    void offWordsThatAreOffAreUsageErrors() {
        QFETCH(QStringList, words);
        const auto result =
            runTelvarctl(QStringList{QStringLiteral("--simulate"), QStringLiteral("modes")} + words);
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.contains(QStringLiteral("telvarctl modes: ")), qPrintable(result.err));
    }

    void aSilentDeviceFailsTheAvailabilityWrite() {
        const auto result =
            runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("--fault"), QStringLiteral("drop:B"),
                          QStringLiteral("--timeout"), QStringLiteral("200"), QStringLiteral("modes")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.contains(QStringLiteral("no reply")), qPrintable(result.err));
    }
};

QTEST_GUILESS_MAIN(TelvarctlModesTest)
#include "TelvarctlModesTest.moc"
