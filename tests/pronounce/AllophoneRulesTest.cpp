// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/AllophoneRules.h"

#include <QTest>

using namespace telvar::pronounce;

namespace {

// "HH AH0 L OW1": phones separated by blanks, a trailing digit the stress; no digit, no stress known
// (as the pronouncing dictionary gives them).
Phones phonesOf(const char* text) {
    Phones phones;
    for (QString field : QString::fromLatin1(text).split(QLatin1Char(' '))) {
        Phone phone;
        if (field.back().isDigit()) {
            phone.stress = field.back().digitValue();
            field.chop(1);
        }
        phone.name = field;
        phones << phone;
    }
    return phones;
}

// "\HO \AX": the allophone names, in code order from IY (128) to PO (199).
QList<int> codesOf(const char* mnemonics) {
    static const QStringList names =
        QStringLiteral("IY IH EY EH AY AX UX AW OH OW UH UW MM NE NO NGE NGO LE LO WW RR IYRR EYRR "
                       "AXRR AWRR OWRR EYIY OHIY OWIY OHIH IYEH EHLE IYUW AXUW IHWW AYWW OWWW JH VV "
                       "ZZ ZH DH BE BO EB OB DE DO ED OD GE GO EG OG CH HE HO WH FF SE SO SH TH TT "
                       "TU TS KE KO EK OK PE PO")
            .split(QLatin1Char(' '));
    QList<int> codes;
    for (const QString& name :
         QString::fromLatin1(mnemonics).remove(QLatin1Char('\\')).split(QLatin1Char(' '))) {
        const qsizetype index = names.indexOf(name);
        if (index < 0)
            qFatal("no allophone %s", qPrintable(name));
        codes << 128 + static_cast<int>(index);
    }
    return codes;
}

} // namespace

class AllophoneRulesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wordsGiveTheirAllophones_data();
    void wordsGiveTheirAllophones();
    void handedDownRowsThatTheRulesReach_data();
    void handedDownRowsThatTheRulesReach();
    void unknownPhonesAddNothing();
};

void AllophoneRulesTest::wordsGiveTheirAllophones_data() {
    QTest::addColumn<QString>("spelling");
    QTest::addColumn<QString>("arpabet");
    QTest::addColumn<QString>("allophones");
    const auto add = [](const char* tag, const char* spelling, const char* arpabet, const char* allophones) {
        QTest::newRow(tag) << QString::fromLatin1(spelling) << QString::fromLatin1(arpabet)
                           << QString::fromLatin1(allophones);
    };
    // L before an unstressed vowel is LE; before a stressed back vowel LO.
    add("L unstressed holiday", "holiday", "HH AA L AH D EY", "HO OH LE AX DE EYIY");
    add("L unstressed melody", "melody", "M EH L AH D IY", "MM EH LE AX DE IY");
    add("L unstressed problem", "problem", "P R AA B L AH M", "PO RR OH BO LE AX MM");
    add("L stressed plus", "plus", "P L AH S", "PO LO AX SE");
    add("L stressed hello", "hello", "HH AH L OW", "HO AX LO OWWW");
    add("L marked unstressed", "follow", "F AA1 L OW0", "FF OH LE OWWW");
    // A P that closes a syllable follows the vowel before it.
    add("P closing deep", "deep", "D IY P", "DE IY PE");
    add("P closing ship", "ship", "SH IH P", "SH IH PE");
    add("P closing tape", "tape", "T EY P", "TU EYIY PE");
    add("P closing cup", "cup", "K AH P", "KO AX PO");
    // Word-initial TR and TW begin with TT; T before a vowel is TU.
    add("TR travel", "travel", "T R AE V AH L", "TT RR AY VV EHLE");
    add("TR track", "track", "T R AE K", "TT RR AY EK");
    add("TW twelve", "twelve", "T W EH L V", "TT WW EHLE VV");
    add("T before vowel", "ten", "T EH N", "TU EH NE");
    // ER: stressed AXRR, unstressed inside a word RR.
    add("ER inside property", "property", "P R AA P ER T IY", "PO RR OH PE RR TT IY");
    add("ER inside government", "government", "G AH V ER M AH N T", "GO AX VV RR MM AX NE TT");
    add("ER first bird", "bird", "B ER D", "BE AXRR ED");
    add("ER last stressed", "disturb", "D IH S T ER B", "DE IH SE TT AXRR EB");
    add("ER ending", "workers", "W ER K ER Z", "WW AXRR KE RR ZZ");
    add("ER marked unstressed", "perhaps", "P ER0 HH AE1 P S", "PE RR HE AY PE SE");
    add("ER marked stressed", "return", "R IH0 T ER1 N", "RR IH TT AXRR NE");
    // Y + the vowel of "cure" is IYUW RR.
    add("YUR europe", "europe", "Y UH R AH P", "IYUW RR AX PO");
    add("YER mercury", "mercury", "M ER K Y ER IY", "MM AXRR KO IYUW RR IY");
    add("YU cute", "cute", "K Y UW T", "KO IYUW TT");
    add("YER figure", "figure", "F IH G Y ER", "FF IH GO IYUW RR");
    // ... but "your" and its kin say OWRR, and a word-initial Y + ER is the vowel of "yearn".
    add("your", "your", "Y AO R", "IYEH OWRR");
    add("yours", "yours", "Y UH R Z", "IYEH OWRR ZZ");
    add("yearn", "yearn", "Y ER N", "IYEH AXRR NE");
    // A word spelled "wh" starts with WH, whichever sound the dictionary gives it.
    add("WH who", "who", "HH UW", "WH IHWW");
    add("WH whose", "whose", "HH UW Z", "WH UW ZZ");
    add("WH white", "white", "W AY T", "WH OHIY TT");
    add("WH whole", "whole", "HH OW L", "WH OW LE");
    add("HH help", "help", "HH EH L P", "HE EHLE PE");
    // EHLE for a syllabic L and for EH + L closing a syllable.
    add("EHLE saddle", "saddle", "S AE D AH L", "SE AY DE EHLE");
    add("EHLE angles", "angles", "AE NG G AH L Z", "AY NGE GE EHLE ZZ");
    add("EHLE spell", "spell", "S P EH L", "SE PE EHLE");
    add("EHLE settled", "settled", "S EH T AH L D", "SE EH TT EHLE ED");
    add("AH L in a full syllable", "difficult", "D IH F AH K AH L T", "DE IH FF AX KO AX LE TT");
    add("AH L stressed", "dull", "D AH L", "DO AX LE");
    // The vowel of "luck" is AX.
    add("AX luck", "luck", "L AH K", "LO AX OK");
}

void AllophoneRulesTest::wordsGiveTheirAllophones() {
    QFETCH(QString, spelling);
    QFETCH(QString, arpabet);
    QFETCH(QString, allophones);
    QCOMPARE(allophoneCodes(spelling, phonesOf(arpabet.toLatin1().constData())),
             codesOf(allophones.toLatin1().constData()));
}

// Rows of the vocabulary as it was handed down, which the data file keeps as they stand; the rules
// make the same codes from the dictionary's sounds.
void AllophoneRulesTest::handedDownRowsThatTheRulesReach_data() {
    QTest::addColumn<QString>("spelling");
    QTest::addColumn<QString>("arpabet");
    QTest::addColumn<QList<int>>("row");
    const auto add = [](const char* spelling, const char* arpabet, QList<int> row) {
        QTest::newRow(spelling) << QString::fromLatin1(spelling) << QString::fromLatin1(arpabet) << row;
    };
    add("eat", "IY T", {128, 191});
    add("tree", "T R IY", {191, 148, 128});
    add("light", "L AY T", {145, 155, 191});
    add("worm", "W ER M", {147, 151, 140});
    add("story", "S T AO R IY", {187, 191, 153, 128});
    add("mommy", "M AA M IY", {140, 136, 140, 128});
}

void AllophoneRulesTest::handedDownRowsThatTheRulesReach() {
    QFETCH(QString, spelling);
    QFETCH(QString, arpabet);
    QFETCH(QList<int>, row);
    QCOMPARE(allophoneCodes(spelling, phonesOf(arpabet.toLatin1().constData())), row);
}

void AllophoneRulesTest::unknownPhonesAddNothing() {
    QCOMPARE(allophoneCodes(u"eat", phonesOf("IY XX T")), (QList<int>{128, 191}));
    QVERIFY(allophoneCodes(u"", {}).isEmpty());
}

QTEST_GUILESS_MAIN(AllophoneRulesTest)
#include "AllophoneRulesTest.moc"
