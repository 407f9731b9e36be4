#include "cli/GlobalOptions.h"

#include <QTest>

using namespace telvar::cli;

class GlobalOptionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void optionsBeforeAndAfterTheVerb() {
        const auto parsed =
            parseGlobalOptions({QStringLiteral("--simulate=dev.json"), QStringLiteral("upload"),
                                QStringLiteral("--yes"), QStringLiteral("--timeout=500")});
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QVERIFY(parsed.options.simulate);
        QCOMPARE(parsed.options.simulateFile, QStringLiteral("dev.json"));
        QVERIFY(parsed.options.yes);
        QCOMPARE(parsed.options.timeout.value().count(), 500);
        QCOMPARE(parsed.options.verb, QStringLiteral("upload"));
        QVERIFY(parsed.options.verbArguments.isEmpty());
    }

    void verbWordsStayWithTheVerb() {
        const auto parsed = parseGlobalOptions(
            {QStringLiteral("--simulate"), QStringLiteral("--sensor"), QStringLiteral("5,7"),
             QStringLiteral("ask"), QStringLiteral("Who is there?"), QStringLiteral("--window"),
             QStringLiteral("6"), QStringLiteral("--"), QStringLiteral("--yes")});
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QCOMPARE(parsed.options.sensorScript, QStringLiteral("5,7"));
        QVERIFY(!parsed.options.yes);
        QCOMPARE(parsed.options.verbArguments,
                 (QStringList{QStringLiteral("Who is there?"), QStringLiteral("--window"),
                              QStringLiteral("6"), QStringLiteral("--yes")}));
    }

    void helpAfterTheVerbIsTheVerbs() {
        const auto parsed = parseGlobalOptions({QStringLiteral("raw"), QStringLiteral("--help")});
        QVERIFY(!parsed.options.help);
        QCOMPARE(parsed.options.verbArguments, QStringList{QStringLiteral("--help")});
    }

    void wordsThatAreOff_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--loud"), QStringLiteral("codes")};
        QTest::newRow("missing value") << QStringList{QStringLiteral("codes"), QStringLiteral("--timeout")};
        QTest::newRow("timeout not a number")
            << QStringList{QStringLiteral("--timeout=soon"), QStringLiteral("raw")};
        QTest::newRow("sensor without simulate")
            << QStringList{QStringLiteral("--sensor=5"), QStringLiteral("ask")};
        QTest::newRow("bad sensor script") << QStringList{
            QStringLiteral("--simulate"), QStringLiteral("--sensor=5x"), QStringLiteral("ask")};
        QTest::newRow("bad fault") << QStringList{QStringLiteral("--simulate"),
                                                  QStringLiteral("--fault=melt"), QStringLiteral("raw")};
    }
    void wordsThatAreOff() {
        QFETCH(QStringList, arguments);
        QVERIFY(!parseGlobalOptions(arguments).error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(GlobalOptionsTest)
#include "GlobalOptionsTest.moc"
