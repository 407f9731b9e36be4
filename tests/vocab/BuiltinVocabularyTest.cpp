// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/BuiltinVocabulary.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <set>
#include <vector>

using namespace telvar;

namespace {

constexpr qint16 kPad = 48;

std::vector<int> rowOf(int index) {
    const auto& rows = builtin::codeRows();
    return {rows.begin() + index * builtin::kRowLength, rows.begin() + (index + 1) * builtin::kRowLength};
}

// The codes of a row up to the first pad, as the device and the upload read them.
std::vector<int> spokenCodes(int index) {
    std::vector<int> row = rowOf(index);
    row.erase(std::find(row.begin(), row.end(), kPad), row.end());
    return row;
}

// Skips the control codes that may precede the first sound.
int firstSound(const std::vector<int>& codes) {
    const auto it = std::find_if(codes.begin(), codes.end(), [](int c) { return c >= 128; });
    return it == codes.end() ? -1 : *it;
}

} // namespace

class BuiltinVocabularyTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listedRowsAreExact_data();
    void listedRowsAreExact();
    void wordListHasItsFixedShape();
    void specialEntriesSitAtTheirIndexes_data();
    void specialEntriesSitAtTheirIndexes();
    void everyWordRowHoldsAllowedCodesThenPads();
    void rowsPastTheWordsAreAllPad();
    void duplicatedWordsShareTheirPronunciation();
    void rowsLineUpWithTheirWords_data();
    void rowsLineUpWithTheirWords();
};

void BuiltinVocabularyTest::listedRowsAreExact_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QList<int>>("row");
    const auto add = [](int index, const char* word, QList<int> row) {
        QTest::addRow("%d %s", index, word) << index << QString::fromLatin1(word) << row;
    };
    add(0, "PLACEBO", {199, 145, 130, 187, 131, 171, 164, 48, 48, 48});
    add(1, "ENTIRE", {131, 141, 191, 129, 148, 48, 48, 48, 48, 48});
    add(2, "UNDER", {134, 141, 174, 148, 148, 48, 48, 48, 48, 48});
    add(3, "MUSE", {140, 8, 160, 167, 48, 48, 48, 48, 48, 48});
    add(4, "D", {174, 128, 128, 48, 48, 48, 48, 48, 48, 48});
    add(5, "SUPPER", {187, 134, 199, 148, 148, 48, 48, 48, 48, 48});
    add(6, "LIGHT", {145, 155, 191, 48, 48, 48, 48, 48, 48, 48});
    add(7, "CARRIER", {194, 152, 155, 149, 48, 48, 48, 48, 48, 48});
    add(8, "SHOULD", {189, 138, 138, 177, 48, 48, 48, 48, 48, 48});
    add(9, "HUMAN", {184, 8, 160, 140, 132, 141, 48, 48, 48, 48});
    add(10, "AWARD", {133, 147, 132, 148, 176, 48, 48, 48, 48, 48});
    add(11, "RECORDS", {148, 128, 194, 153, 174, 167, 48, 48, 48, 48});
    add(12, "PLUTO", {199, 145, 134, 191, 162, 48, 48, 48, 48, 48});
    add(13, "WORM", {147, 151, 140, 48, 48, 48, 48, 48, 48, 48});
    add(14, "PAUL", {199, 135, 135, 135, 145, 48, 48, 48, 48, 48});
    add(15, "EAT", {128, 191, 48, 48, 48, 48, 48, 48, 48, 48});
    add(16, "TREE", {191, 148, 128, 48, 48, 48, 48, 48, 48, 48});
    add(17, "MOMMY", {140, 136, 140, 128, 48, 48, 48, 48, 48, 48});
    add(18, "COUNTRY", {195, 134, 141, 191, 148, 128, 48, 48, 48, 48});
    add(19, "STORY", {187, 191, 153, 128, 48, 48, 48, 48, 48, 48});
    // Ten codes and no pad: a reader must stop after ten elements, not hunt for 48.
    add(77, "AUTOMATIC", {135, 135, 135, 191, 136, 140, 130, 191, 129, 196});
    add(212, "7", {8, 187, 7, 131, 166, 131, 141, 48, 48, 48});
    add(1364, "ALL RIGHT", {136, 146, 48, 48, 48, 48, 48, 48, 48, 48});
    add(1769, "W", {175, 7, 134, 18, 171, 159, 160, 139, 48, 48});
    add(1927, "FURY", {186, 10, 79, 148, 8, 128, 48, 48, 48, 48});
    add(2046, "WORKERS", {147, 151, 194, 148, 148, 167, 48, 48, 48, 48});
    add(2047, "0", {167, 7, 128, 7, 149, 164, 48, 48, 48, 48});
}

void BuiltinVocabularyTest::listedRowsAreExact() {
    QFETCH(int, index);
    QFETCH(QString, word);
    QFETCH(QList<int>, row);
    QCOMPARE(builtin::words().at(index), word);
    const std::vector<int> actual = rowOf(index);
    QCOMPARE(QList<int>(actual.begin(), actual.end()), row);
}

void BuiltinVocabularyTest::wordListHasItsFixedShape() {
    const QStringList& words = builtin::words();
    QCOMPARE(words.size(), builtin::kWordCount);
    QCOMPARE(builtin::codeRows().size(), std::size_t(builtin::kRowCount * builtin::kRowLength));
    for (int i = 2048; i <= 2050; ++i)
        QVERIFY2(words.at(i).isEmpty(), qPrintable(QString::number(i)));

    // Words are upper-case letters, one blank between the two words of a pair, or a single digit.
    static const QRegularExpression shape(QStringLiteral("^([A-Z]+( [A-Z]+)?|[0-9])$"));
    for (int i = 0; i < 2048; ++i) {
        const QString& w = words.at(i);
        QVERIFY2(shape.match(w).hasMatch() && w.size() <= 11,
                 qPrintable(QStringLiteral("%1 \"%2\"").arg(i).arg(w)));
    }
}

void BuiltinVocabularyTest::specialEntriesSitAtTheirIndexes_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<QList<int>>("indexes");
    const auto add = [](const char* word, QList<int> indexes) {
        QTest::newRow(word) << QString::fromLatin1(word) << indexes;
    };
    add("7", {212});
    add("9", {722});
    add("5", {856});
    add("3", {923});
    add("1", {990});
    add("8", {1780});
    add("6", {1847});
    add("4", {1914});
    add("2", {1980});
    add("0", {2047});
    for (const auto& [letter, index] : std::vector<std::pair<const char*, int>>{{"D", 4},
                                                                                {"F", 188},
                                                                                {"S", 330},
                                                                                {"E", 350},
                                                                                {"V", 524},
                                                                                {"L", 690},
                                                                                {"I", 732},
                                                                                {"M", 849},
                                                                                {"R", 1083},
                                                                                {"U", 1127},
                                                                                {"Z", 1191},
                                                                                {"P", 1366},
                                                                                {"A", 1713},
                                                                                {"H", 1765},
                                                                                {"W", 1769},
                                                                                {"N", 1851},
                                                                                {"G", 1860},
                                                                                {"B", 1925}})
        add(letter, {index});
    add("DO RUN", {498});
    add("AM NOT", {962});
    add("ROSE LINE", {1227});
    add("NEW MOON", {1315});
    add("ALL RIGHT", {1364});
    add("HEAD STONE", {1818});
    add("NIGHT", {56, 1047});
    add("GRAVE", {252, 1228});
    add("CAN", {543, 1601});
    add("DO", {565, 1474});
    add("NEAR", {592, 1583});
    add("BEFORE", {786, 1844});
    add("FOR", {883, 1941});
}

// Each special entry occurs exactly at its indexes and nowhere else, so the list has not shifted.
void BuiltinVocabularyTest::specialEntriesSitAtTheirIndexes() {
    QFETCH(QString, word);
    QFETCH(QList<int>, indexes);
    QList<int> found;
    const QStringList& words = builtin::words();
    for (int i = 0; i < words.size(); ++i)
        if (words.at(i) == word)
            found.append(i);
    QCOMPARE(found, indexes);
}

void BuiltinVocabularyTest::everyWordRowHoldsAllowedCodesThenPads() {
    static const std::set<int> controls{1, 2, 4, 6, 7, 8, 14, 15, 18};
    for (int i = 0; i < 2048; ++i) {
        const std::vector<int> row = rowOf(i);
        const std::vector<int> codes = spokenCodes(i);
        const QByteArray where = QByteArray::number(i) + ' ' + builtin::words().at(i).toLatin1();
        QVERIFY2(!codes.empty(), where.constData());
        QVERIFY2(std::all_of(row.begin() + codes.size(), row.end(), [](int c) { return c == kPad; }),
                 where.constData());
        QVERIFY2(firstSound(codes) != -1, where.constData());
        for (int c : codes) {
            // FURY's row carries two stray values exactly as it was handed down.
            const bool inherited = i == 1927 && (c == 10 || c == 79);
            QVERIFY2((c >= 128 && c <= 199) || controls.count(c) || inherited,
                     (where + " code " + QByteArray::number(c)).constData());
        }
    }
}

void BuiltinVocabularyTest::rowsPastTheWordsAreAllPad() {
    for (int i = 2048; i < builtin::kRowCount; ++i) {
        const std::vector<int> row = rowOf(i);
        QVERIFY2(std::all_of(row.begin(), row.end(), [](int c) { return c == kPad; }),
                 qPrintable(QString::number(i)));
    }
}

void BuiltinVocabularyTest::duplicatedWordsShareTheirPronunciation() {
    for (const auto& [first, second] : std::vector<std::pair<int, int>>{
             {56, 1047}, {252, 1228}, {543, 1601}, {565, 1474}, {592, 1583}, {786, 1844}, {883, 1941}}) {
        QCOMPARE(builtin::words().at(first), builtin::words().at(second));
        QCOMPARE(rowOf(first), rowOf(second));
    }
}

void BuiltinVocabularyTest::rowsLineUpWithTheirWords_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("firstSound");
    QTest::addColumn<QList<int>>("alsoOneOf");
    const auto add = [](int index, int first, QList<int> also) {
        QTest::addRow("%d %s", index, qPrintable(builtin::words().at(index))) << index << first << also;
    };
    // Digits and letters are spoken as their names.
    add(990, 147, {141});  // "1": \WW ... \NE
    add(856, 186, {166});  // "5": \FF ... \VV
    add(923, 190, {148});  // "3": \TH \RR
    add(1914, 186, {153}); // "4": \FF \OWRR
    add(1191, 167, {128}); // "Z": \ZZ \IY
    add(330, 131, {187});  // "S": \EH \SE
    add(849, 131, {140});  // "M": \EH \MM
    add(1765, 154, {182}); // "H": \EYIY \CH
    // Both words of a pair are spoken.
    add(1818, 183, {187, 188}); // "HEAD STONE": \HE ... \SE
    add(1315, 142, {140});      // "NEW MOON": \NO ... \MM
    add(962, 132, {141, 142});  // "AM NOT": \AY \MM ... \NO
    // Words spread over the whole list keep their own rows.
    add(300, 195, {140});                 // "COME": \KO ... \MM
    add(1000, 184, {174, 175, 176, 177}); // "HUNDRED": \HO ... a D
    add(1500, 186, {149});                // "FEAR": \FF \IYRR
    add(2000, 187, {165});                // "STRANGE": \SE ... \JH
    add(2045, 186, {140});                // "FROM": \FF ... \MM
}

void BuiltinVocabularyTest::rowsLineUpWithTheirWords() {
    QFETCH(int, index);
    QFETCH(int, firstSound);
    QFETCH(QList<int>, alsoOneOf);
    const std::vector<int> codes = spokenCodes(index);
    QCOMPARE(::firstSound(codes), firstSound);
    QVERIFY(std::find_first_of(codes.begin(), codes.end(), alsoOneOf.begin(), alsoOneOf.end()) !=
            codes.end());
}

QTEST_GUILESS_MAIN(BuiltinVocabularyTest)
#include "BuiltinVocabularyTest.moc"
