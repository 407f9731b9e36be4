#include "support/Telvarctl.h"

#include <QTest>

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

    void devicesListsTheVirtualDevice() {
        const auto result = runTelvarctl({QStringLiteral("--simulate"), QStringLiteral("devices")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out.count(QLatin1Char('\n')), 1);
    }

    void everyVerbAnswersHelp() {
        const auto list = runTelvarctl({QStringLiteral("--help")});
        QCOMPARE(list.exitCode, 0);
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
