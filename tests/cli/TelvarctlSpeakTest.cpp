// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Telvarctl.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

namespace {

// The device trace shows every report sent; only its speech reports count here.
const QStringList kTrace{QStringLiteral("QT_LOGGING_RULES=telvar.device.debug=true")};

QStringList speechReports(const QString& trace) {
    QStringList reports;
    static const QRegularExpression report(QStringLiteral("out (00 56( [0-9a-f]{2}){7})"));
    for (auto match = report.globalMatch(trace); match.hasNext();)
        reports << match.next().captured(1);
    return reports;
}

QStringList speechReports(std::initializer_list<const char*> codes) {
    QStringList reports;
    for (const char* code : codes)
        reports << QStringLiteral("00 56 %1 00 00 00 00 00 00").arg(QLatin1String(code));
    return reports;
}

} // namespace

// telvarctl speak as a process: what reaches the device, and the failures that must not pass as success.
class TelvarctlSpeakTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    ProcessResult run(QStringList arguments, const QStringList& environment = {}) {
        arguments.prepend(QStringLiteral("--data-dir=") + m_folder.path());
        return runTelvarctl(arguments, m_folder.path(), 60000, environment);
    }

private Q_SLOTS:
    void initTestCase() {
        QFile dictionary(m_folder.filePath(QStringLiteral("DozudiZEzuve.Dic")));
        QVERIFY(dictionary.open(QIODevice::WriteOnly));
        dictionary.write("[Words]\nhello=\\HE \\EH \\LO \\OW\n");
    }

    void speaksTheExpandedText() {
        const ProcessResult result = run(
            {QStringLiteral("--simulate"), QStringLiteral("speak"), QStringLiteral("hello, \\IY")}, kTrace);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
        QCOMPARE(speechReports(result.err), speechReports({"1f", "b7", "83", "92", "89", "02", "80"}));
    }

    void theChosenDictionaryCounts() {
        QFile dictionary(m_folder.filePath(QStringLiteral("other.Dic")));
        QVERIFY(dictionary.open(QIODevice::WriteOnly));
        dictionary.write("[words]\nHELLO=\\IY\n");
        dictionary.close();
        const ProcessResult result =
            run({QStringLiteral("--simulate"), QStringLiteral("--dict"), dictionary.fileName(),
                 QStringLiteral("speak"), QStringLiteral("hello")},
                kTrace);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(speechReports(result.err), speechReports({"1f", "80"}));
    }

    void aLostDeviceFails() {
        const ProcessResult result =
            run({QStringLiteral("--simulate"), QStringLiteral("--fault"), QStringLiteral("unplug-after:2"),
                 QStringLiteral("speak"), QStringLiteral("hello")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QLatin1String("Speaking stopped after 2 of 5 codes")),
                 qPrintable(result.err));
    }

    void withoutADeviceItFails() {
        const ProcessResult result = run({QStringLiteral("speak"), QStringLiteral("hello")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
        QVERIFY(!result.err.isEmpty());
    }

    void usageErrors() {
        QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("speak")}).exitCode, 2);
        QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("speak"), QStringLiteral("a"),
                      QStringLiteral("b")})
                     .exitCode,
                 2);
    }
};

QTEST_GUILESS_MAIN(TelvarctlSpeakTest)
#include "TelvarctlSpeakTest.moc"
