// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"

#include <QStandardPaths>
#include <QTest>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

// `telvarctl suggest` as a process, on a pronouncing dictionary of the test's own and with espeak-ng
// switched off, so the answers do not depend on what is installed.
class TelvarctlSuggestTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    ProcessResult run(const QStringList& arguments, const QString& dictionary,
                      const QString& espeak = QString()) {
        return runTelvarctl(
            arguments, m_folder.path(), 60000,
            {QStringLiteral("TELVAR_CMUDICT=") + dictionary,
             QStringLiteral("XDG_CACHE_HOME=") + path("cache"),
             QStringLiteral("TELVAR_ESPEAK=") + (espeak.isEmpty() ? path("no-espeak-ng") : espeak)});
    }

private Q_SLOTS:
    void init() {
        QVERIFY(clearFolder());
        put("test.dict", "hello HH AH L OW\nhello(2) HH EH L OW\nwho HH UW\n");
    }

    void printsOneLinePerWord() {
        const ProcessResult result = run(
            {QStringLiteral("suggest"), QStringLiteral("Hello"), QStringLiteral("who")}, path("test.dict"));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("Hello\t\\HO \\AX \\LO \\OWWW\nwho\t\\WH \\IHWW\n"));
        QCOMPARE(result.err, QString());
    }

    // A word is unknown when no source has a reading of it; espeak-ng spelling it letter by letter is
    // no reading.
    void unknownWordFailsButTheOthersArePrinted_data() {
        QTest::addColumn<QString>("espeak");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("unknown");
        QTest::newRow("in neither source")
            << QString() << QStringList{"zorblax", "who", "@@"} << "who\t\\WH \\IHWW\n"
            << QStringList{"zorblax", "@@"};
        // One letter is its own name; a word spelled only in part is read.
        QTest::newRow("only spelled by espeak-ng")
            << "espeak-ng" << QStringList{"zqxjvbw", "zorblax", "o", "xmas"}
            << "zorblax\t\\ZZ \\OWRR \\BO \\LE \\AY \\EK \\SE\no\t\\OWWW\nxmas\t\\EH \\EK \\SE \\MM \\AY "
               "\\SE\n"
            << QStringList{"zqxjvbw"};
    }
    void unknownWordFailsButTheOthersArePrinted() {
        QFETCH(QString, espeak);
        QFETCH(QStringList, words);
        QFETCH(QString, out);
        QFETCH(QStringList, unknown);
        if (!espeak.isEmpty() && QStandardPaths::findExecutable(espeak).isEmpty())
            QSKIP("needs espeak-ng");
        const ProcessResult result =
            run(QStringList{QStringLiteral("suggest")} + words, path("test.dict"), espeak);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, out);
        QCOMPARE(result.err.count(QLatin1Char('\n')), unknown.size());
        for (const QString& word : unknown)
            QVERIFY2(result.err.contains(word + QStringLiteral(": neither")), qPrintable(result.err));
    }

    void withoutAnySourceSaysWhatToInstall() {
        const ProcessResult result =
            run({QStringLiteral("suggest"), QStringLiteral("hello")}, path("none.dict"));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.contains(QStringLiteral("pocketsphinx-en-us")) &&
                     result.err.contains(QStringLiteral("espeak-ng")),
                 qPrintable(result.err));
    }

    void withoutWordsIsAUsageError() {
        QCOMPARE(run({QStringLiteral("suggest")}, path("test.dict")).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TelvarctlSuggestTest)
#include "TelvarctlSuggestTest.moc"
