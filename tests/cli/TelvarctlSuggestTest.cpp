#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"

#include <QTest>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

// `telvarctl suggest` as a process, on a pronouncing dictionary of the test's own and with espeak-ng
// switched off, so the answers do not depend on what is installed.
class TelvarctlSuggestTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    ProcessResult run(const QStringList& arguments, const QString& dictionary) {
        return runTelvarctl(arguments, m_folder.path(), 60000,
                            {QStringLiteral("TELVAR_CMUDICT=") + dictionary,
                             QStringLiteral("TELVAR_ESPEAK_NG=") + path("no-espeak-ng")});
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

    void unknownWordFailsButTheOthersArePrinted() {
        const ProcessResult result = run({QStringLiteral("suggest"), QStringLiteral("zorblax"),
                                          QStringLiteral("who"), QStringLiteral("@@")},
                                         path("test.dict"));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QStringLiteral("who\t\\WH \\IHWW\n"));
        QVERIFY2(result.err.contains(QStringLiteral("zorblax")) && result.err.contains(QStringLiteral("@@")),
                 qPrintable(result.err));
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
