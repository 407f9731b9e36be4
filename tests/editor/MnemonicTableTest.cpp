// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/MnemonicTable.h"

#include <QSet>
#include <QTest>

using namespace telvar;

class MnemonicTableTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void holdsExactlyTheListedMnemonics() {
        const QSet<int> controls = {0,  1,  2,  3,  4,  5,  6,  7,  8,  14, 15, 16,
                                    18, 20, 21, 22, 23, 24, 25, 26, 28, 29, 30, 31};
        const auto listed = [&](int i) {
            return controls.contains(i) || (i >= 128 && i <= 254) || (i >= 301 && i <= 312) ||
                   (i >= 321 && i <= 332) || (i >= 341 && i <= 352);
        };
        BuildMnemonicTable();
        const MnemonicEntries& table = MnemonicTable();
        QSet<QString> seen;
        for (int i = 0; i < kMnemonicCount; ++i) {
            QVERIFY2(table[i].isEmpty() != listed(i), qPrintable(QString::number(i)));
            QVERIFY2(table[i].isEmpty() || !seen.contains(table[i]), qPrintable(table[i]));
            if (!table[i].isEmpty())
                seen.insert(table[i]);
        }
        QCOMPARE(seen.size(), 187);

        const QList<std::pair<int, const char*>> spots = {
            {0, "\\P0"},      {8, "\\SLOW"},    {14, "\\STRESS"}, {20, "\\VOLUME"}, {26, "\\REPEAT"},
            {31, "\\RESET"},  {128, "\\IY"},    {143, "\\NGE"},   {164, "\\OWWW"},  {199, "\\PO"},
            {209, "\\R9"},    {229, "\\B9"},    {250, "\\D10"},   {251, "\\D11"},   {254, "\\M2"},
            {302, "\\NTC#1"}, {327, "\\NTF#2"}, {352, "\\NTB3"},
        };
        for (const auto& [index, mnemonic] : spots)
            QCOMPARE(table[index], QString::fromLatin1(mnemonic));
    }

    void findMnemonic_data() {
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("index");
        QTest::newRow("query is upper-cased") << "\\nte1" << 305;
        QTest::newRow("sharp note") << "\\Nta#3" << 351;
        QTest::newRow("whole entry must match") << "\\D1" << 241;
        QTest::newRow("backslash is part of the match") << "IY" << kNoMnemonic;
        QTest::newRow("surrounding blank") << "\\IY " << kNoMnemonic;
        QTest::newRow("empty token matches no empty entry") << "" << kNoMnemonic;
        QTest::newRow("numbers are no mnemonics") << "\\128" << kNoMnemonic;
        QTest::newRow("dotless i is no I") << QString::fromUtf8("\\\u0131Y") << kNoMnemonic;
    }
    void findMnemonic() {
        QFETCH(QString, token);
        QFETCH(int, index);
        QCOMPARE(FindMnemonic(token), index);
    }

    void notePitch() {
        QCOMPARE(NotePitch(301), 33);
        QCOMPARE(NotePitch(312), 62);
        QCOMPARE(NotePitch(327), 93);
        QCOMPARE(NotePitch(330), 110);
        QCOMPARE(NotePitch(341), 131);
        QCOMPARE(NotePitch(352), 247);
        for (const int other : {-1, 0, 22, 255, 300, 313, 320, 333, 353, 400, 401})
            QCOMPARE(NotePitch(other), 0);
    }
};

QTEST_GUILESS_MAIN(MnemonicTableTest)
#include "MnemonicTableTest.moc"
