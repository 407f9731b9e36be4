// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/GlobalOptions.h"
#include "cli/Verb.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace telvar;
using namespace telvar::cli;

class GlobalOptionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void optionsBeforeAndAfterTheVerb() {
        const auto parsed =
            parseGlobalOptions({QStringLiteral("--simulate=dev.json"), QStringLiteral("upload"),
                                QStringLiteral("--yes"), QStringLiteral("--timeout=500")});
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QVERIFY(parsed.options.emulator.simulate);
        QCOMPARE(parsed.options.emulator.stateFile, QStringLiteral("dev.json"));
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
        SensorScript script = parsed.options.emulator.sensorScript.value();
        QCOMPARE(script.next()[0], 5);
        QCOMPARE(script.next()[0], 7);
        QVERIFY(!parsed.options.yes);
        QCOMPARE(parsed.options.verbArguments,
                 (QStringList{QStringLiteral("Who is there?"), QStringLiteral("--window"),
                              QStringLiteral("6"), QStringLiteral("--yes")}));
        QCOMPARE(parsed.options.verbWordsWithEndOfOptions(),
                 (QStringList{QStringLiteral("Who is there?"), QStringLiteral("--window"),
                              QStringLiteral("6"), QStringLiteral("--"), QStringLiteral("--yes")}));
    }

    void helpAfterTheVerbIsTheVerbs() {
        const auto parsed = parseGlobalOptions({QStringLiteral("raw"), QStringLiteral("--help")});
        QVERIFY(!parsed.options.help);
        QCOMPARE(parsed.options.verbArguments, QStringList{QStringLiteral("--help")});
    }

    void globalOptionsAfterTheVerbAreTakenWithTheirValues() {
        const auto parsed = parseGlobalOptions(
            {QStringLiteral("--simulate"), QStringLiteral("ask"), QStringLiteral("Q"),
             QStringLiteral("--fault"), QStringLiteral("drop:D"), QStringLiteral("--window=6"),
             QStringLiteral("--simulate=later.json"), QStringLiteral("--fault=delay:5"),
             QStringLiteral("--data-dir"), QStringLiteral("--window")});
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QVERIFY(parsed.options.emulator.faults.drops('D'));
        QCOMPARE(parsed.options.emulator.faults.delay(), std::chrono::milliseconds(5));
        QCOMPARE(parsed.options.emulator.stateFile, QStringLiteral("later.json"));
        QCOMPARE(parsed.options.dataDir, QStringLiteral("--window")); // a value, whatever it looks like
        QCOMPARE(parsed.options.verbArguments,
                 (QStringList{QStringLiteral("Q"), QStringLiteral("--window=6")}));
    }

    void doubleDashHandsTheRestToTheVerb() {
        // Before the verb it ends the global options: the next word is the verb, whatever follows is its own.
        auto parsed =
            parseGlobalOptions({QStringLiteral("--simulate"), QStringLiteral("--"), QStringLiteral("raw"),
                                QStringLiteral("--yes"), QStringLiteral("--")});
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QCOMPARE(parsed.options.verb, QStringLiteral("raw"));
        QVERIFY(!parsed.options.yes);
        QCOMPARE(parsed.options.verbArguments, (QStringList{QStringLiteral("--yes"), QStringLiteral("--")}));
        // A verb that parses options of its own gets the "--" back where it stood: "ask -- -2+3".
        QCOMPARE(parsed.options.verbWordsWithEndOfOptions(),
                 (QStringList{QStringLiteral("--"), QStringLiteral("--yes"), QStringLiteral("--")}));

        // After it, even a value-less global option is the verb's word.
        parsed =
            parseGlobalOptions({QStringLiteral("--simulate"), QStringLiteral("ask"), QStringLiteral("--"),
                                QStringLiteral("--timeout"), QStringLiteral("--simulate=x.json")});
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QVERIFY(!parsed.options.timeout);
        QVERIFY(parsed.options.emulator.stateFile.isEmpty());
        QCOMPARE(parsed.options.verbArguments,
                 (QStringList{QStringLiteral("--timeout"), QStringLiteral("--simulate=x.json")}));
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
        QTest::newRow("bad fault after the verb")
            << QStringList{QStringLiteral("--simulate"), QStringLiteral("raw"), QStringLiteral("--fault"),
                           QStringLiteral("refuse-after:x")};
        QTest::newRow("fault after the verb without simulate")
            << QStringList{QStringLiteral("raw"), QStringLiteral("--fault=drop:C")};
    }
    void wordsThatAreOff() {
        QFETCH(QStringList, arguments);
        QVERIFY(!parseGlobalOptions(arguments).error.isEmpty());
    }

    // The manual page and the bash completion are made from these texts: one entry per verb, each usage
    // starting "Usage: telvarctl [global options] VERB".
    void everyVerbIsListedOnceWithItsUsage() {
        QSet<QString> names;
        for (const Verb& verb : verbs()) {
            QVERIFY2(!names.contains(verb.name), qPrintable(verb.name));
            names.insert(verb.name);
            const QRegularExpression usage(QStringLiteral("^Usage: telvarctl (\\[--[^]]*\\] )*%1( |\n)")
                                               .arg(QRegularExpression::escape(verb.name)));
            QVERIFY2(usage.match(verb.usage).hasMatch(), qPrintable(verb.usage));
        }
    }
};

QTEST_GUILESS_MAIN(GlobalOptionsTest)
#include "GlobalOptionsTest.moc"
