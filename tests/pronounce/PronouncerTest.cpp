// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/Pronouncer.h"
#include "pronounce/PronouncingDictionary.h"

#include "editor/MnemonicConversion.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;
using namespace telvar::pronounce;

namespace {

QString mnemonicsOf(const QList<int>& codes) {
    QByteArray codeString;
    for (int code : codes)
        codeString.append(char(code));
    return CodesToSpacedMnemonics(codeString);
}

PronouncingSources realSources() {
    return {QString::fromLatin1(PronouncingSources::kDefaultDictionary),
            QString::fromLatin1(PronouncingSources::kDefaultProgram), {}};
}

} // namespace

// Words to codes through both sources: a dictionary file of the test's own for the reading, the
// installed dictionary and espeak-ng end to end (skipped where a package is missing).
class PronouncerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    QString m_noProgram;

    QString dictionary(const QByteArray& content) {
        const QString path = m_folder.filePath(QStringLiteral("test.dict"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

private Q_SLOTS:
    void initTestCase() { m_noProgram = m_folder.filePath(QStringLiteral("no-espeak-ng")); }

    void dictionaryFileIsRead();
    void respellingsAndWordPairs();
    void unknownWordGivesNothing();
    void realDictionaryWordsEndToEnd_data();
    void realDictionaryWordsEndToEnd();
    void wordOnlyEspeakKnows();
    void sourcesSayWhatIsMissing();
};

void PronouncerTest::dictionaryFileIsRead() {
    const PronouncingDictionary dict(dictionary("hello HH AH0 L OW1\n"
                                                "hello(2) HH EH L OW\n"
                                                "hello K AA\n" // a second line with the same key
                                                "\n"
                                                "broken\n" // a key without phones
                                                "eat  IY   T \r\n"));
    const auto hello = dict.lookup(QStringLiteral("HELLO"));
    QVERIFY(hello);
    QCOMPARE(hello->size(), 4);
    QCOMPARE(hello->at(1).stress, 0);
    QCOMPARE(hello->at(2).stress, Phone::kUnknownStress);
    QCOMPARE(hello->at(3).name, QStringLiteral("OW"));
    QCOMPARE(dict.lookup(QStringLiteral("hello(2)"))->size(), 4);
    QCOMPARE(dict.lookup(QStringLiteral("eat"))->size(), 2);
    QVERIFY(!dict.lookup(QStringLiteral("broken")));
    QVERIFY(PronouncingDictionary(m_folder.filePath(QStringLiteral("missing.dict"))).isEmpty());
}

void PronouncerTest::respellingsAndWordPairs() {
    const Pronouncer pronouncer(
        {dictionary("one W AH N\nhello HH AH L OW\nhello(2) HH EH L OW\nnow N AW\n"), m_noProgram, {}},
        {{QStringLiteral("1"), QStringLiteral("one")},
         {QStringLiteral("HI"), QStringLiteral("hello(2) now")}});
    QCOMPARE(mnemonicsOf(*pronouncer.codes(QStringLiteral("1"))), QStringLiteral("\\WW \\AX \\NE"));
    // A respelling with a numbered variant: the spelling is still "hello".
    QCOMPARE(mnemonicsOf(*pronouncer.codes(QStringLiteral("hi"))),
             QStringLiteral("\\HE \\EH \\LO \\OWWW \\NO \\AXUW"));
    QCOMPARE(mnemonicsOf(*pronouncer.codes(QStringLiteral("hello  one"))),
             QStringLiteral("\\HO \\AX \\LO \\OWWW \\WW \\AX \\NE"));
}

void PronouncerTest::unknownWordGivesNothing() {
    const Pronouncer pronouncer({dictionary("one W AH N\n"), m_noProgram, {}});
    QVERIFY(pronouncer.hasAnySource());
    QVERIFY(!pronouncer.codes(QStringLiteral("zorblax")));
    // One unknown word spoils the whole entry rather than leaving a row that says half of it.
    QVERIFY(!pronouncer.codes(QStringLiteral("one zorblax")));
    QVERIFY(!pronouncer.codes(QStringLiteral("   ")));
    QVERIFY(!Pronouncer({m_folder.filePath(QStringLiteral("missing.dict")), m_noProgram, {}}).hasAnySource());
}

void PronouncerTest::realDictionaryWordsEndToEnd_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("mnemonics");
    const auto add = [](const char* word, const char* mnemonics) {
        QTest::newRow(word) << QString::fromLatin1(word) << QString::fromLatin1(mnemonics);
    };
    add("holiday", "\\HO \\OH \\LE \\AX \\DE \\EYIY");
    add("melody", "\\MM \\EH \\LE \\AX \\DE \\IY");
    add("problem", "\\PO \\RR \\OH \\BO \\LE \\AX \\MM");
    add("deep", "\\DE \\IY \\PE");
    add("ship", "\\SH \\IH \\PE");
    add("tape", "\\TU \\EYIY \\PE");
    add("travel", "\\TT \\RR \\AY \\VV \\EHLE");
    add("track", "\\TT \\RR \\AY \\EK");
    add("property", "\\PO \\RR \\OH \\PE \\RR \\TT \\IY");
    add("government", "\\GO \\AX \\VV \\RR \\MM \\AX \\NE \\TT");
    add("europe", "\\IYUW \\RR \\AX \\PO");
    add("mercury", "\\MM \\AXRR \\KO \\IYUW \\RR \\IY");
    add("who", "\\WH \\IHWW");
    add("whose", "\\WH \\UW \\ZZ");
    add("hello", "\\HO \\AX \\LO \\OWWW");
}

void PronouncerTest::realDictionaryWordsEndToEnd() {
    const PronouncingSources sources{realSources().dictionaryPath, m_noProgram, {}};
    if (!sources.hasDictionary())
        QSKIP("the pronouncing dictionary is not installed (pocketsphinx-en-us)");
    static const Pronouncer pronouncer(sources);
    QFETCH(QString, word);
    QFETCH(QString, mnemonics);
    const auto codes = pronouncer.codes(word);
    QVERIFY(codes);
    QCOMPARE(mnemonicsOf(*codes), mnemonics);
}

void PronouncerTest::wordOnlyEspeakKnows() {
    const PronouncingSources sources = realSources();
    if (!sources.hasDictionary() || !sources.hasFallback())
        QSKIP("needs both pocketsphinx-en-us and espeak-ng");
    const Pronouncer pronouncer(sources);
    QVERIFY(!pronouncer.phones(QStringLiteral("zorblax(2)")));
    const auto codes = pronouncer.codes(QStringLiteral("Zorblax"));
    QVERIFY(codes);
    QCOMPARE(mnemonicsOf(*codes), QStringLiteral("\\ZZ \\OWRR \\BO \\LE \\AY \\EK \\SE"));
    // Neither source knows a word that is not written in letters.
    QVERIFY(!pronouncer.codes(QStringLiteral("h3llo")));
}

void PronouncerTest::sourcesSayWhatIsMissing() {
    const PronouncingSources none{m_folder.filePath(QStringLiteral("missing.dict")), m_noProgram, {}};
    QVERIFY(none.missingHint().contains(QStringLiteral("pocketsphinx-en-us")));
    QVERIFY(none.missingHint().contains(QStringLiteral("espeak-ng")));
    const PronouncingSources dictionaryOnly{dictionary("one W AH N\n"), m_noProgram, {}};
    QVERIFY(!dictionaryOnly.missingHint().contains(QStringLiteral("pocketsphinx")));

    qputenv("TELVAR_CMUDICT", "/somewhere/else.dict");
    qputenv("TELVAR_ESPEAK", "/nonexistent/espeak-ng");
    const PronouncingSources overridden = PronouncingSources::fromEnvironment();
    qunsetenv("TELVAR_CMUDICT");
    qunsetenv("TELVAR_ESPEAK");
    QCOMPARE(overridden.dictionaryPath, QStringLiteral("/somewhere/else.dict"));
    QVERIFY(!overridden.hasFallback());
}

QTEST_GUILESS_MAIN(PronouncerTest)
#include "PronouncerTest.moc"
