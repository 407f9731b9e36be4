// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PhraseExpansion.h"
#include "editor/Dictionary.h"

#include <QTest>

using namespace telvar;

namespace {

const Dictionary& dictionary() {
    static const Dictionary words = Dictionary::parse("[Words]\r\n"
                                                      "hello = \\HE \\EH \\LO \\OW\r\n"
                                                      "WORLD=\\WW \\AXRR \\LE \\ED\r\n"
                                                      "dont=\\DO \\OH \\NE \\TT\r\n"
                                                      "greeting = hello, world\r\n"
                                                      "spaced =   \\HE \\EH  \r\n"
                                                      "pause = \\IY   \\EH\r\n"
                                                      "loop = \\IY loop\r\n"
                                                      "ping = \\PE pong\r\n"
                                                      "pong = \\PO PING\r\n");
    return words;
}

// A dictionary whose words each stand for `fanOut` copies of the next level's word, `levels` deep,
// ending in `leaf`: small to write, astronomically large when expanded without a limit.
Dictionary multiplying(int levels, int fanOut, const QString& leaf) {
    QString text = QStringLiteral("[Words]\n");
    for (int level = 0; level < levels; ++level) {
        QStringList next;
        for (int i = 0; i < fanOut; ++i)
            next << QStringLiteral("w%1").arg(level + 1);
        text += QStringLiteral("w%1=%2\n").arg(level).arg(next.join(QLatin1Char(' ')));
    }
    text += QStringLiteral("w%1=%2\n").arg(levels).arg(leaf);
    return Dictionary::parse(text.toLatin1());
}

} // namespace

class PhraseExpansionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void expand_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // Mnemonics and separators, without the dictionary.
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("two commas, then one blank") << "\\HE \\EH,, \\LO"
                                                    << "\\HE\\EH \\P2 \\P2\\LO";
        QTest::newRow("one blank adds nothing") << "\\IY \\EH"
                                                << "\\IY\\EH";
        QTest::newRow("two blanks") << "\\IY  \\EH"
                                    << "\\IY \\P6\\EH";
        QTest::newRow("three blanks") << "\\IY   \\EH"
                                      << "\\IY \\P4 \\P1\\EH";
        QTest::newRow("six blanks") << "\\IY      \\EH"
                                    << "\\IY \\P4 \\P1\\EH";
        QTest::newRow("two blanks at the start") << "  \\IY"
                                                 << " \\P6\\IY";
        QTest::newRow("blanks at the end") << "\\IY     "
                                           << "\\IY";
        QTest::newRow("only blanks") << "     "
                                     << "";
        QTest::newRow("comma at the start") << ",\\IY"
                                            << " \\P2\\IY";
        QTest::newRow("comma at the end") << "\\IY,"
                                          << "\\IY \\P2";
        QTest::newRow("commas and blanks alternate") << "\\IY, ,\\EH"
                                                     << "\\IY \\P2 \\P2\\EH";
        QTest::newRow("comma then blanks at the end") << "\\IY,   "
                                                      << "\\IY \\P2";
        QTest::newRow("ignored character keeps a blank run") << "\\IY . \\EH"
                                                             << "\\IY \\P6\\EH";
        QTest::newRow("ignored characters between commas") << "\\IY,!?,\\EH"
                                                           << "\\IY \\P2 \\P2\\EH";
        QTest::newRow("sharp dropped") << "\\NTC#2"
                                       << "\\NTC2";
        QTest::newRow("numbers stay") << "\\128\\SPEED \\114"
                                      << "\\128\\SPEED\\114";
        QTest::newRow("characters beyond Latin-1 are skipped")
            << QString::fromUtf8("\\I\u00e9Y\u2014\\EH") << "\\IY\\EH";
        // Words through the dictionary.
        QTest::newRow("word with an entry") << "hello"
                                            << "\\HE\\EH\\LO\\OW";
        QTest::newRow("key matched without regard to case") << "HeLLo wOrld"
                                                            << "\\HE\\EH\\LO\\OW\\WW\\AXRR\\LE\\ED";
        QTest::newRow("word without an entry") << "nothing"
                                               << "";
        QTest::newRow("word next to a mnemonic is one token") << "hello\\IY"
                                                              << "";
        QTest::newRow("mnemonic then word") << "\\IY hello"
                                            << "\\IY\\HE\\EH\\LO\\OW";
        QTest::newRow("apostrophe joins a word") << "don't"
                                                 << "\\DO\\OH\\NE\\TT";
        QTest::newRow("full stop joins a word") << "do.nt"
                                                << "\\DO\\OH\\NE\\TT";
        QTest::newRow("word with pauses around it") << ",hello  "
                                                    << " \\P2\\HE\\EH\\LO\\OW";
        QTest::newRow("entry made of words and a comma") << "greeting"
                                                         << "\\HE\\EH\\LO\\OW \\P2\\WW\\AXRR\\LE\\ED";
        QTest::newRow("blanks around an entry") << "spaced"
                                                << "\\HE\\EH";
        QTest::newRow("pauses inside an entry") << "pause"
                                                << "\\IY \\P4 \\P1\\EH";
        QTest::newRow("same word twice") << "hello hello"
                                         << "\\HE\\EH\\LO\\OW\\HE\\EH\\LO\\OW";
        // Entries that lead back to themselves stop at the repeat.
        QTest::newRow("self-referring entry") << "loop"
                                              << "\\IY";
        QTest::newRow("mutually referring entries") << "ping"
                                                    << "\\PE\\PO";
        QTest::newRow("mutual, from the other end") << "pong"
                                                    << "\\PO\\PE";
        QTest::newRow("each word of the text starts afresh") << "ping pong loop"
                                                             << "\\PE\\PO\\PO\\PE\\IY";
    }
    void expand() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(ExpandPhrase(text, dictionary()), expected);
    }

    void withoutDictionaryWordsVanish() {
        QCOMPARE(ExpandPhrase(u"hello,\\IY", Dictionary()), QStringLiteral(" \\P2\\IY"));
    }

    void nestingStopsAtItsDepth() {
        QString text = QStringLiteral("[Words]\n");
        for (int i = 0; i < 40; ++i)
            text += QStringLiteral("w%1=\\IY w%2\n").arg(i).arg(i + 1);
        const QString result = ExpandPhrase(u"w0", Dictionary::parse(text.toLatin1()));
        QCOMPARE(result, QStringLiteral("\\IY").repeated(kMaxExpansionDepth));
    }

    void multiplyingEntriesStayBounded() {
        // 12 to the 8th power copies of "\IY" without the limits.
        const QString result = ExpandPhrase(u"w0 w0", multiplying(8, 12, QStringLiteral("\\IY")));
        QVERIFY(!result.isEmpty());
        QVERIFY(result.size() <= kMaxExpansionLength);
        QCOMPARE(result, QStringLiteral("\\IY").repeated(result.size() / 3));
    }

    void multiplyingEntriesThatSayNothingEndQuickly() {
        // Every leaf is a word without an entry: the expansion is empty however far it is followed, so
        // only the count of expanded words stops it.
        QCOMPARE(ExpandPhrase(u"w0", multiplying(10, 20, QStringLiteral("silence"))), QString());
    }

    void longResultStopsAtAWholePiece() {
        // Each word adds a whole entry or nothing: the result never ends inside a mnemonic.
        const QString entry = QStringLiteral("\\AXRR").repeated(400);
        const Dictionary words =
            Dictionary::parse(QStringLiteral("[Words]\nlong=%1\n").arg(entry).toLatin1());
        const QString result = ExpandPhrase(QStringLiteral("long ").repeated(200), words);
        QVERIFY(result.size() <= kMaxExpansionLength);
        QCOMPARE(result.size() % entry.size(), 0);
    }

    // A limit keeps what was built and ends there, and a word stands for its entry as if the entry were
    // typed in its place: each typed text is also the entry of "word". A "ten" is 19,170 characters of
    // five-character mnemonics, so four of them pass the length limit.
    void limitsCutTypedAndDictionaryTextAlike_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        const QString ten = QStringLiteral("\\AXRR").repeated(9 * 426);
        // The first mnemonics of `tens` that still fit after `before`.
        const auto fitting = [](const QString& before, const QString& tens) {
            return before + tens.first(std::min(tens.size(), (kMaxExpansionLength - before.size()) / 5 * 5));
        };
        QTest::newRow("whole words") << "ten ten ten ten" << fitting({}, ten.repeated(4));
        QTest::newRow("mnemonics around") << "\\AY ten ten ten ten \\EH" << fitting("\\AY", ten.repeated(4));
        QTest::newRow("pauses between")
            << "ten,ten  ten   ten" << fitting(ten + " \\P2" + ten + " \\P6" + ten + " \\P4 \\P1", ten);
        QTest::newRow("too many words") << "hush hush hush hush hush hush \\IY" << QString();
    }
    void limitsCutTypedAndDictionaryTextAlike() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        const Dictionary words = Dictionary::parse(
            QStringLiteral("[Words]\n"
                           "part=%1\n"
                           "ten=part part part part part part part part part\n"
                           "hush=%2\n"
                           "word=%3\n")
                .arg(QStringLiteral("\\AXRR ").repeated(426), QStringLiteral("no ").repeated(800), typed)
                .toLatin1());
        QCOMPARE(ExpandPhrase(typed, words), expected);
        QCOMPARE(ExpandPhrase(u"word", words), expected);
    }
};

QTEST_APPLESS_MAIN(PhraseExpansionTest)
#include "PhraseExpansionTest.moc"
