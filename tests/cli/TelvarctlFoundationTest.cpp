#include "support/Telvarctl.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using telvar::test::runTelvarctl;

class TelvarctlFoundationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void codesConvertMnemonicText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("note and allophone") << QStringLiteral("\\NTA2 \\iy") << QStringLiteral("22 110 128");
        QTest::newRow("numbers and pause zero")
            << QStringLiteral("\\128,\\0 \\P0") << QStringLiteral("128 0 0");
        QTest::newRow("unknown token dropped")
            << QStringLiteral("\\HE \\XYZ \\EH") << QStringLiteral("183 131");
        QTest::newRow("nothing") << QStringLiteral("\\XYZ") << QString();
    }
    void codesConvertMnemonicText() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto result = runTelvarctl({QStringLiteral("codes"), text});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expected + QLatin1Char('\n'));
    }

    void mnemonicsShowCodes() {
        auto result = runTelvarctl({QStringLiteral("mnemonics"), QStringLiteral("183"), QStringLiteral("131"),
                                    QStringLiteral("140"), QStringLiteral("48"), QStringLiteral("48")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("\\HE\\EH\\MM\n"));

        result = runTelvarctl({QStringLiteral("mnemonics"), QStringLiteral("256")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.err.contains(QStringLiteral("256")));
    }

    void rawCommandPrintsTheReply() {
        const auto result =
            runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("raw"), QStringLiteral("C"),
                          QStringLiteral("0"), QStringLiteral("--reply")});
        QCOMPARE(result.exitCode, 0);
        const QStringList bytes = result.out.trimmed().split(QLatin1Char(' '));
        QCOMPARE(bytes.size(), 9);
        QCOMPARE(bytes.at(2), QStringLiteral("4")); // the factory gain
    }

    void droppedReplyFailsWithinTheTimeLimit() {
        const auto result =
            runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("--fault"), QStringLiteral("drop:C"),
                          QStringLiteral("--timeout"), QStringLiteral("300"), QStringLiteral("raw"),
                          QStringLiteral("C"), QStringLiteral("0"), QStringLiteral("--reply")});
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(QStringLiteral("no reply")), qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
    }

    void aDeviceThatRefusesWritesFailsTheCommand() {
        const auto result =
            runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("raw"), QStringLiteral("C"),
                          QStringLiteral("0"), QStringLiteral("--reply"), QStringLiteral("--fault"),
                          QStringLiteral("refuse-after:0"), QStringLiteral("--timeout=200")});
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.isEmpty());
    }

    void usageErrorsExitWithTwo_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no verb") << QStringList{};
        QTest::newRow("unknown verb") << QStringList{QStringLiteral("dance")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--loud"), QStringLiteral("codes")};
        QTest::newRow("fault without simulate")
            << QStringList{QStringLiteral("--fault"), QStringLiteral("drop:C"), QStringLiteral("devices")};
        QTest::newRow("raw without letter")
            << QStringList{QStringLiteral("--simulate"), QStringLiteral("raw")};
        QTest::newRow("raw byte out of range") << QStringList{
            QStringLiteral("--simulate"), QStringLiteral("raw"), QStringLiteral("B"), QStringLiteral("300")};
        QTest::newRow("state file as its own word") << QStringList{
            QStringLiteral("--simulate"), QStringLiteral("dev.json"), QStringLiteral("devices")};
        QTest::newRow("value for a flag")
            << QStringList{QStringLiteral("--yes=no"), QStringLiteral("devices")};
    }
    void usageErrorsExitWithTwo() {
        QFETCH(QStringList, arguments);
        const auto result = runTelvarctl(arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY(!result.err.isEmpty());
    }

    // Empty names would quietly mean "the default" (or ask nothing); a misspelt option is not a byte.
    void emptyValuesAndUnknownOptionsAreUsageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("empty state file name") << QStringList{"--simulate=", "devices"} << "--simulate=";
        QTest::newRow("empty sensor list")
            << QStringList{"--simulate", "--sensor", "", "devices"} << "--sensor";
        QTest::newRow("empty data folder") << QStringList{"--data-dir", "", "vocab"} << "--data-dir";
        QTest::newRow("empty dictionary") << QStringList{"--dict", "", "expand", "hello"} << "--dict";
        QTest::newRow("empty question") << QStringList{"--simulate", "ask", ""} << "question is empty";
        QTest::newRow("blank question") << QStringList{"--simulate", "ask", "  "} << "question is empty";
        QTest::newRow("unknown raw option")
            << QStringList{"--simulate", "raw", "Z", "--frobnicate"} << "unknown option --frobnicate";
    }
    void emptyValuesAndUnknownOptionsAreUsageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QTemporaryDir work;
        const auto result = runTelvarctl(arguments, work.path());
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(said), qPrintable(result.err));
        QVERIFY2(result.err.contains("Try telvarctl"), qPrintable(result.err));
        QVERIFY(!QFileInfo::exists(work.filePath("log.qnx")));
    }

    // Anything read whole is refused when it is not a regular file (a pipe would wait for a writer for
    // ever, /dev/zero would fill memory) and says why; a state file that is there but wrong says what.
    void filesThatAreNotFilesAreRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("state file is /dev/zero")
            << QStringList{"--simulate=/dev/zero", "raw", "Z"} << "not a regular file";
        QTest::newRow("state file is a pipe")
            << QStringList{"--simulate=PIPE", "raw", "Z"} << "not a regular file";
        QTest::newRow("dictionary is /dev/zero")
            << QStringList{"--dict", "/dev/zero", "expand", "hello"} << "not a regular file";
        QTest::newRow("dictionary is a folder")
            << QStringList{"--dict", "FOLDER", "expand", "hello"} << "folder";
        // Rendering needs no espeak-ng to refuse a dictionary it cannot read.
        QTest::newRow("render: dictionary is a folder")
            << QStringList{"--dict", "FOLDER", "render", "hello", "-o", "out.wav"}
            << "FOLDER: is a folder, not a file";
        QTest::newRow("render: dictionary is a pipe")
            << QStringList{"--dict", "PIPE", "render", "\\HE", "-o", "out.wav"}
            << "PIPE: is not a regular file";
        QTest::newRow("word file is a pipe")
            << QStringList{"--data-dir", "DATA", "vocab"} << "not a regular file";
        QTest::newRow("format given as text") << QStringList{"--simulate=TEXTFORMAT", "raw", "Z"}
                                              << "\"format\" must be the number 1, not the text \"1\"";
        QTest::newRow("log is a folder") << QStringList{"log"} << "log.qnx could not be read: is a folder";
    }
    void filesThatAreNotFilesAreRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QTemporaryDir work;
        const QDir dir(work.path());
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("PIPE")).constData(), 0600), 0);
        QVERIFY(dir.mkdir("FOLDER") && dir.mkdir("log.qnx") && dir.mkdir("DATA"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("DATA/mainw.txt")).constData(), 0600), 0);
        QFile text(dir.filePath("TEXTFORMAT"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(R"({"format": "1"})");
        text.close();
        for (QString& word : arguments) {
            for (const char* name : {"PIPE", "FOLDER", "DATA", "TEXTFORMAT"})
                word.replace(QLatin1String(name), dir.filePath(QLatin1String(name)));
        }
        const auto result = runTelvarctl(arguments, work.path());
        QVERIFY(result.finished);
        QVERIFY2(result.err.contains(said), qPrintable(result.err));
        if (QTest::currentDataTag() == QLatin1String("word file is a pipe")) {
            // The built-in words stand in; the files are left as they are.
            QCOMPARE(result.exitCode, 0);
            QVERIFY(result.err.contains("No word-list file was changed"));
            QVERIFY(QFileInfo(dir.filePath("DATA/mainw.txt")).exists());
            QCOMPARE(QDir(dir.filePath("DATA")).entryList(QDir::Files | QDir::System).size(), 1);
        } else {
            QCOMPARE(result.exitCode, 1);
        }
    }

    void devicesListsTheVirtualDevice() {
        const auto result = runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("devices")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out.count(QLatin1Char('\n')), 1);
    }

    void everyVerbAnswersHelp() {
        const auto list = runTelvarctl({QStringLiteral("--help")});
        QCOMPARE(list.exitCode, 0);
        // Summaries start in one column, two blanks past the longest verb.
        QVERIFY(list.out.contains(QStringLiteral("\n  factory-defaults  restore")));
        QVERIFY(list.out.contains(QStringLiteral("\n  codes             the")));
        for (const char* verb : {"codes", "mnemonics", "devices", "raw"}) {
            QVERIFY(list.out.contains(QLatin1String(verb)));
            const auto help = runTelvarctl({QLatin1String(verb), QStringLiteral("--help")});
            QCOMPARE(help.exitCode, 0);
            QVERIFY(help.out.contains(QLatin1String(verb)));
        }
    }
};

QTEST_GUILESS_MAIN(TelvarctlFoundationTest)
#include "TelvarctlFoundationTest.moc"
