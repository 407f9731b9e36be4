// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramOptions.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

using namespace telvar;

class ProgramOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void takesEveryOption();
    void rejectsWhatItCannotUse_data();
    void rejectsWhatItCannotUse();
    void helpAndVersionAnswerWhateverElseTheLineHolds();
    void theProgramAnswersHelpWithoutADisplay();
    void anotherDeviceKeepsTheRestOfTheLine_data();
    void anotherDeviceKeepsTheRestOfTheLine();
};

void ProgramOptionsTest::takesEveryOption() {
    ProgramOptions options;
    const QString error =
        options.parse({"--simulate=/tmp/state.json", "--sensor", "5,7", "--fault", "drop:B",
                       "--fault=delay:20", "--data-dir", "/tmp/words", "--timeout=350", "--speak-aloud",
                       "--simulate=/tmp/other.json", "--device", "SIM-0000002A"});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(options.emulator.simulate);
    QCOMPARE(options.emulator.stateFile, QStringLiteral("/tmp/state.json"));
    QVERIFY(options.emulator.sensorScript.has_value());
    QVERIFY(options.emulator.faults.drops('B'));
    QCOMPARE(options.emulator.faults.delay(), std::chrono::milliseconds(20));
    QCOMPARE(options.dataDir, QStringLiteral("/tmp/words"));
    QCOMPARE(options.timeout, std::chrono::milliseconds(350));
    QVERIFY(options.emulator.speakAloud);
    QCOMPARE(options.emulator.stateFiles, (QStringList{"/tmp/state.json", "/tmp/other.json"}));
    QCOMPARE(options.device, QStringLiteral("SIM-0000002A"));
    QVERIFY(!options.help);

    ProgramOptions plain;
    QVERIFY(plain.parse({}).isEmpty());
    QVERIFY(!plain.emulator.simulate);
    QVERIFY(!plain.emulator.speakAloud);
    QCOMPARE(plain.timeout, std::chrono::milliseconds(0)); // the link's default then applies
}

void ProgramOptionsTest::rejectsWhatItCannotUse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("zero timeout") << QStringList{"--timeout", "0"} << "--timeout";
    QTest::newRow("word timeout") << QStringList{"--timeout=soon"} << "soon";
    QTest::newRow("timeout last") << QStringList{"--timeout"} << "--timeout";
    QTest::newRow("empty folder") << QStringList{"--data-dir="} << "--data-dir";
    QTest::newRow("unknown") << QStringList{"--simulat"} << "--simulat";
    QTest::newRow("fault without simulate") << QStringList{"--fault", "drop:B"} << "--simulate";
    QTest::newRow("speak aloud without simulate") << QStringList{"--speak-aloud"} << "--simulate";
    QTest::newRow("bad fault") << QStringList{"--simulate", "--fault", "melt"} << "melt";
    QTest::newRow("state file as its own word") << QStringList{"--simulate", "state.json"} << "state.json";
    QTest::newRow("flag with a value") << QStringList{"--version=2"} << "--version";
    QTest::newRow("empty device") << QStringList{"--device="} << "--device";
}

void ProgramOptionsTest::rejectsWhatItCannotUse() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    ProgramOptions options;
    const QString error = options.parse(arguments);
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

void ProgramOptionsTest::helpAndVersionAnswerWhateverElseTheLineHolds() {
    ProgramOptions help;
    QCOMPARE(help.parse({"--timeout=0", "-h"}), QString());
    QVERIFY(help.help);
    ProgramOptions version;
    QCOMPARE(version.parse({"--fault", "drop:B", "--version"}), QString());
    QVERIFY(version.version);
}

void ProgramOptionsTest::theProgramAnswersHelpWithoutADisplay() {
    const auto run = [](const QStringList& arguments, const QString& platform) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TELVAR_PATH), arguments);
        process.waitForFinished(30000);
        return std::pair(process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput() +
                                                                    process.readAllStandardError()));
    };
    // xcb without a display would abort: these never get as far as the window system.
    const auto [helpStatus, helpText] = run({"--simulate", "--help"}, QStringLiteral("xcb"));
    QCOMPARE(helpStatus, 0);
    QVERIFY2(helpText.startsWith(QStringLiteral("Usage: telvar")), qPrintable(helpText));
    const auto [versionStatus, versionText] = run({"--version"}, QStringLiteral("xcb"));
    QCOMPARE(versionStatus, 0);
    QVERIFY(versionText.startsWith(QStringLiteral("telvar ")));

    // The window system's own options are taken out before the program's are checked.
    const auto [platformStatus, platformText] = run({"-platform", "offscreen", "--version"}, "xcb");
    QCOMPARE(platformStatus, 0);
    QVERIFY2(platformText.startsWith(QStringLiteral("telvar ")), qPrintable(platformText));
    const auto [unknownStatus, unknownText] = run({"--simulat"}, QStringLiteral("offscreen"));
    QCOMPARE(unknownStatus, 2);
    QVERIFY2(unknownText.contains(QStringLiteral("--simulat")), qPrintable(unknownText));
}

void ProgramOptionsTest::anotherDeviceKeepsTheRestOfTheLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("moved");
    QTest::newRow("no device named") << QStringList{"--simulate=a.json", "--simulate=b.json"}
                                     << QStringList{"--simulate=a.json", "--simulate=b.json", "--device",
                                                    "B"};
    QTest::newRow("device as two words") << QStringList{"--device", "A", "--timeout", "300"}
                                         << QStringList{"--timeout", "300", "--device", "B"};
    QTest::newRow("device with =") << QStringList{"--data-dir", "/w", "--device=A"}
                                   << QStringList{"--data-dir", "/w", "--device", "B"};
}

void ProgramOptionsTest::anotherDeviceKeepsTheRestOfTheLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, moved);
    const QStringList line = ProgramOptions::withDevice(arguments, QStringLiteral("B"));
    QCOMPARE(line, moved);
    ProgramOptions options;
    QCOMPARE(options.parse(line), QString());
    QCOMPARE(options.device, QStringLiteral("B"));
}

QTEST_GUILESS_MAIN(ProgramOptionsTest)
#include "ProgramOptionsTest.moc"
