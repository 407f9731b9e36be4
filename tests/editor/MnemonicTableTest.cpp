#include "editor/MnemonicTable.h"

#include <QSet>
#include <QTest>

using namespace telvar;

namespace {

// Indexes that carry a mnemonic; everything else in 0..400 must stay empty.
bool hasMnemonic(int index) {
    const QSet<int> controls = {0,  1,  2,  3,  4,  5,  6,  7,  8,  14, 15, 16,
                                18, 20, 21, 22, 23, 24, 25, 26, 28, 29, 30, 31};
    return controls.contains(index) || (index >= 128 && index <= 254) || (index >= 301 && index <= 312) ||
           (index >= 321 && index <= 332) || (index >= 341 && index <= 352);
}

} // namespace

class MnemonicTableTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void holdsExactlyTheListedMnemonics() {
        BuildMnemonicTable();
        const MnemonicEntries& table = MnemonicTable();
        QSet<QString> seen;
        for (int index = 0; index < kMnemonicCount; ++index) {
            QVERIFY2(table[index].isEmpty() != hasMnemonic(index), qPrintable(QString::number(index)));
            if (table[index].isEmpty())
                continue;
            QVERIFY2(!seen.contains(table[index]), qPrintable(table[index]));
            seen.insert(table[index]);
            QVERIFY(table[index].startsWith(QLatin1Char('\\')));
            QCOMPARE(table[index], table[index].toUpper());
        }
        QCOMPARE(seen.size(), 187);
    }

    void entriesSitAtTheirCodes_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("mnemonic");
        const QList<std::pair<int, const char*>> rows = {
            {0, "\\P0"},     {6, "\\P6"},     {7, "\\FAST"},    {8, "\\SLOW"},    {14, "\\STRESS"},
            {16, "\\WAIT"},  {18, "\\SOFT"},  {20, "\\VOLUME"}, {22, "\\PITCH"},  {26, "\\REPEAT"},
            {28, "\\CALL"},  {31, "\\RESET"}, {128, "\\IY"},    {135, "\\AW"},    {136, "\\OH"},
            {143, "\\NGE"},  {149, "\\IYRR"}, {164, "\\OWWW"},  {165, "\\JH"},    {182, "\\CH"},
            {193, "\\TS"},   {199, "\\PO"},   {200, "\\R0"},    {209, "\\R9"},    {210, "\\A0"},
            {229, "\\B9"},   {230, "\\C0"},   {240, "\\D0"},    {250, "\\D10"},   {251, "\\D11"},
            {252, "\\M0"},   {254, "\\M2"},   {301, "\\NTC1"},  {302, "\\NTC#1"}, {305, "\\NTE1"},
            {312, "\\NTB1"}, {321, "\\NTC2"}, {327, "\\NTF#2"}, {332, "\\NTB2"},  {341, "\\NTC3"},
            {352, "\\NTB3"},
        };
        for (const auto& [index, mnemonic] : rows)
            QTest::addRow("%d", index) << index << QString::fromLatin1(mnemonic);
    }
    void entriesSitAtTheirCodes() {
        QFETCH(int, index);
        QFETCH(QString, mnemonic);
        QCOMPARE(MnemonicTable()[index], mnemonic);
    }

    void findMnemonic_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("index");
        QTest::newRow("upper case") << "\\IY" << 128;
        QTest::newRow("query is upper-cased") << "\\nte1" << 305;
        QTest::newRow("mixed case note") << "\\Nta#3" << 351;
        QTest::newRow("code 0") << "\\P0" << 0;
        QTest::newRow("whole entry must match") << "\\D1" << 241;
        QTest::newRow("longer entry") << "\\D10" << 250;
        QTest::newRow("backslash is part of the match") << "IY" << kNoMnemonic;
        QTest::newRow("surrounding blank") << "\\IY " << kNoMnemonic;
        QTest::newRow("empty token matches no empty entry") << "" << kNoMnemonic;
        QTest::newRow("lone backslash") << "\\" << kNoMnemonic;
        QTest::newRow("numbers are no mnemonics") << "\\128" << kNoMnemonic;
        QTest::newRow("dotless i is no I") << QString::fromUtf8("\\\u0131Y") << kNoMnemonic;
        QTest::newRow("unknown") << "\\XYZ" << kNoMnemonic;
    }
    void findMnemonic() {
        QFETCH(QString, token);
        QFETCH(int, index);
        QCOMPARE(FindMnemonic(token), index);
    }

    void notePitchCoversEveryNote() {
        const int pitches[3][12] = {
            {33, 35, 37, 39, 41, 44, 46, 49, 52, 55, 58, 62},
            {65, 69, 73, 78, 82, 87, 93, 98, 104, 110, 117, 123},
            {131, 139, 147, 156, 165, 175, 185, 196, 208, 220, 233, 247},
        };
        for (int octave = 0; octave < 3; ++octave) {
            for (int note = 0; note < 12; ++note)
                QCOMPARE(NotePitch(301 + 20 * octave + note), pitches[octave][note]);
        }
        for (const int other : {-1, 0, 22, 128, 255, 256, 300, 313, 320, 333, 340, 353, 400, 401, 100000})
            QCOMPARE(NotePitch(other), 0);
    }
};

QTEST_GUILESS_MAIN(MnemonicTableTest)
#include "MnemonicTableTest.moc"
