// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Telvarctl.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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
        QTest::newRow("render: dictionary is a pipe")
            << QStringList{"--dict", "PIPE", "render", "\\HE", "-o", "out.wav"}
            << "PIPE: is a FIFO, not a regular file";
        QTest::newRow("word file is a pipe")
            << QStringList{"--data-dir", "DATA", "vocab"} << "not a regular file";
        QTest::newRow("format given as text") << QStringList{"--simulate=TEXTFORMAT", "raw", "Z"}
                                              << "\"format\" must be the number 1, not the text \"1\"";
        QTest::newRow("log is a folder") << QStringList{"log"} << "log.qnx could not be read: is a folder";
        for (const QStringList& verb : {QStringList{"log"}, QStringList{"log", "--clear"}})
            QTest::addRow("%s: log is a link loop", qPrintable(verb.join(' ')))
                << verb << "log.qnx is a symbolic link loop";
    }
    void filesThatAreNotFilesAreRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QTemporaryDir work;
        const QDir dir(work.path());
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("PIPE")).constData(), 0600), 0);
        QVERIFY(dir.mkdir("FOLDER") && dir.mkdir("DATA"));
        if (QString::fromLatin1(QTest::currentDataTag()).contains(QLatin1String("link loop")))
            QVERIFY(QFile::link(QStringLiteral("log.qnx"), dir.filePath("log.qnx")));
        else
            QVERIFY(dir.mkdir("log.qnx"));
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

    // Every writer leaves a device node, a FIFO or a symbolic link loop where its file should be as it is
    // and says why; through a link to a regular file that file is replaced and the link stays.
    void writersNeverReplaceWhatAPathPointsAt_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        const QStringList render{"render", "\\HE", "-o", "out.wav"};
        const std::tuple<const char*, QString, QStringList> writers[] = {
            {"render", "out.wav", render},
            {"replace", "DATA/tempph.txt", {"--data-dir", "DATA", "edit", "replace", "1", "HI", "\\HE"}},
            {"transfer", "DATA/mainph.txt", {"--yes", "--data-dir", "DATA", "edit", "transfer"}},
            {"state", "device.json", {"--simulate=device.json", "raw", "B", "3", "44"}},
            {"log",
             "log.qnx",
             {"--simulate", "--data-dir", "DATA", "--sensor", "5", "ask", "Q", "--window", "6"}}};
        for (const auto& [name, target, writer] : writers) {
            const int refused = writer.contains("ask") ? 0 : 1; // the session is answered all the same
            if (writer != render) { // a stream is written into: see TelvarctlRenderTest
                QTest::addRow("%s node", name)
                    << target << writer << "node" << refused << "is a character device, not";
                QTest::addRow("%s fifo", name)
                    << target << writer << "fifo" << refused << "is a FIFO, not a regular file";
            }
            QTest::addRow("%s loop", name)
                << target << writer << "loop" << refused << "leads round in a loop";
            QTest::addRow("%s link", name) << target << writer << "link" << 0 << QString();
        }
        // Read as pads, it would be written back as pads.
        QTest::newRow("replace oversized")
            << "DATA/tempph.txt" << std::get<2>(writers[1]) << "oversized" << 1 << "too large to be read";
        QTest::newRow("render into a node") << QString("out.wav") << render << "node" << 0 << QString();
    }
    void writersNeverReplaceWhatAPathPointsAt() {
        QFETCH(QString, target);
        QFETCH(QStringList, arguments);
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        if (arguments.contains("render") && QStandardPaths::findExecutable("espeak-ng").isEmpty())
            QSKIP("espeak-ng is not installed");
        if (kind == "node" && ::geteuid() != 0)
            QSKIP("making a device node needs root");
        QTemporaryDir work;
        const QDir dir(work.path());
        QVERIFY(dir.mkdir("DATA"));
        const QByteArray words = "HELLO\r\nWORLD\r\n";
        for (const auto& [name, content] : {std::pair{"DATA/tempw.txt", words},
                                            {"DATA/mainw.txt", words},
                                            {"DATA/tempph.txt", QByteArray("\x01\r\n\x02\r\n")},
                                            {"special", QByteArray("{}")}}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) > 0);
        }
        // The target is a link to the special file, as a user's link to a device would be.
        const QString link = dir.filePath(target);
        const QString special = dir.filePath(kind == "loop" ? link : "special");
        QFile::remove(link);
        const QByteArray name = QFile::encodeName(special);
        QVERIFY(kind == "link" || kind == "loop" || kind == "oversized" || QFile::remove(special));
        if (kind == "node")
            QCOMPARE(::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)), 0); // as /dev/null
        if (kind == "fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        const qint64 oversized = 17 * 1024 * 1024;
        QVERIFY(kind != "oversized" || QFile::resize(special, oversized));
        QVERIFY(QFile::link(special, link));

        const auto result = runTelvarctl(arguments, work.path(), 60000, {"TELVAR_TIME_DIVISOR=20"});
        QVERIFY2(result.finished && result.exitCode == exitCode, qPrintable(result.err));
        QVERIFY2(result.err.contains(said), qPrintable(result.err));
        QCOMPARE(QFileInfo(link).symLinkTarget(), special);
        struct stat info {};
        const int type = ::stat(name.constData(), &info) == 0 ? int(info.st_mode & S_IFMT) : 0;
        QCOMPARE(type, kind == "node" ? S_IFCHR : kind == "fifo" ? S_IFIFO : kind == "loop" ? 0 : S_IFREG);
        QVERIFY(kind != "oversized" || QFileInfo(special).size() == oversized);
        if (arguments.contains("ask"))
            QVERIFY2(result.out.endsWith("Telvar X  : SUPPER\n"), qPrintable(result.out));
        const auto bytes = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        if (exitCode != 0) // not even the first file of a pair
            QCOMPARE(bytes(dir.filePath("DATA/mainw.txt")), words);
        if (kind == "link")
            QVERIFY(bytes(special) != "{}");
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
