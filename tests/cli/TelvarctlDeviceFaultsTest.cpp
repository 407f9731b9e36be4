// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Telvarctl.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

namespace {

ProcessResult simulate(const QStringList& arguments, const QString& folder) {
    return runTelvarctl(QStringList{QStringLiteral("--simulate")} + arguments, folder, 60000,
                        {QStringLiteral("TELVAR_TIME_DIVISOR=20")});
}

bool chattr(const QString& flag, const QString& path) {
    QProcess process;
    process.start(QStringLiteral("chattr"), {flag, path});
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

// What telvarctl says when the device lets a verb down part way: never success, and the step by name.
class TelvarctlDeviceFaultsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;

private Q_SLOTS:
    void sayToTheUnitFailsWhenTheDeviceLeavesDuringTheCommand_data() {
        QTest::addColumn<QString>("fault");
        // "A", "S", then eleven "!" reports: the device goes after the fourth report, or stops taking them.
        QTest::newRow("unplugged") << QStringLiteral("unplug-after:4");
        QTest::newRow("refusing") << QStringLiteral("refuse-after:4");
    }
    void sayToTheUnitFailsWhenTheDeviceLeavesDuringTheCommand() {
        QFETCH(QString, fault);
        const ProcessResult result = simulate({QStringLiteral("--fault"), fault, QStringLiteral("say"),
                                               QStringLiteral("31"), QStringLiteral("--unit")},
                                              m_folder.path());
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.contains(QStringLiteral("Say Word 31 failed")), qPrintable(result.err));
        QVERIFY2(!result.err.contains(QStringLiteral(" AA = ")), qPrintable(result.err));
    }

    void stateFileThatCannotBeSavedFailsTheVerb() {
        QTemporaryDir folder;
        const QString stateFolder = folder.filePath(QStringLiteral("state"));
        QVERIFY(QDir().mkpath(stateFolder));
        const QStringList state{QStringLiteral("--simulate=") + stateFolder + QStringLiteral("/device.json")};
        QCOMPARE(runTelvarctl(state + QStringList{QStringLiteral("words"), QStringLiteral("clear-memory")},
                              folder.path())
                     .exitCode,
                 0);
        // Root may write anywhere; an immutable folder stops even root from replacing the file.
        if (!chattr(QStringLiteral("+i"), stateFolder))
            QSKIP("the folder cannot be made immutable here");
        const ProcessResult result = runTelvarctl(
            state + QStringList{QStringLiteral("words"), QStringLiteral("clear-memory")}, folder.path());
        chattr(QStringLiteral("-i"), stateFolder);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QStringLiteral("cannot save the virtual device's state")),
                 qPrintable(result.err));
    }

    void wordsSpokenShowsEachEntryAsItIsRead() {
        // The entries after the header never come: the header must be out all the same.
        QProcess process;
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(TELVARCTL_PATH),
                      {QStringLiteral("--simulate"), QStringLiteral("--fault"), QStringLiteral("drop:R"),
                       QStringLiteral("--timeout"), QStringLiteral("60000"), QStringLiteral("words"),
                       QStringLiteral("spoken")});
        QVERIFY(process.waitForStarted());
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += process.readAllStandardOutput()).contains("number of words"), 30000);
        QCOMPARE(process.state(), QProcess::Running);
        process.kill();
        process.waitForFinished();
        QCOMPARE(out, QByteArray(" 1 number of words\n"));
    }

    void failuresNameTheStep_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("raw without reply") << QStringList{QStringLiteral("--fault=drop:C"),
                                                          QStringLiteral("--timeout=100"),
                                                          QStringLiteral("raw"),
                                                          QStringLiteral("C"),
                                                          QStringLiteral("14"),
                                                          QStringLiteral("--reply")}
                                           << QStringLiteral("telvarctl: no reply to \"C\" 14\n");
        QTest::newRow("ask without reading")
            << QStringList{QStringLiteral("--fault=drop:D"), QStringLiteral("--timeout=100"),
                           QStringLiteral("ask"), QStringLiteral("Who?"), QStringLiteral("--window=6")}
            << QStringLiteral("telvarctl: no reply to \"D\"\n");
        QTest::newRow("ask after an unplug")
            << QStringList{QStringLiteral("--fault=unplug-after:1"), QStringLiteral("ask"),
                           QStringLiteral("Who?"), QStringLiteral("--window=6")}
            << QStringLiteral("telvarctl: the Telvar X is not connected at \"D\"\n");
        QTest::newRow("modes, first write")
            << QStringList{QStringLiteral("--fault=refuse-after:0"), QStringLiteral("modes")}
            << QStringLiteral("telvarctl: Modes not saved: could not send \"B\" 14 to the Telvar X: ");
        QTest::newRow("modes, second write")
            << QStringList{QStringLiteral("--fault=refuse-after:1"), QStringLiteral("modes")}
            << QStringLiteral("telvarctl: Modes only partly saved: \"B\" 14 was written, then could not send "
                              "\"B\" 15 to the Telvar X: ");
    }
    void failuresNameTheStep() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const ProcessResult result = simulate(arguments, m_folder.path());
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(result.err.count(message), 1);
    }
};

QTEST_GUILESS_MAIN(TelvarctlDeviceFaultsTest)
#include "TelvarctlDeviceFaultsTest.moc"
