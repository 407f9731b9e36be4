// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/AllophoneRules.h"

#include <QRegularExpression>
#include <QSet>

#include <cmath>

// How a phone picks its allophone. The example words of the editor's allophone labels and the code rows
// handed down with the vocabulary are the only first-hand evidence of the chip's conventions; where they
// leave a choice open, these rules take the following side:
//
// - The vowel of "luck" (AH) is always AX, stressed or not. The labels name "Luck, Jump, Plus" for AX
//   and "Blue, Food" for UX; a few handed-down rows (UNDER, SUPPER, COUNTRY) use UX for it, but they are
//   kept as rows of their own and the labels are the wider evidence.
// - EHLE ("Saddle, Angle, Spell") stands for EH + L closing a syllable (spell, self, help) and for a
//   syllabic L (unstressed AH + L ending the word, or before -s or -d: saddle, angles, settled).
// - L takes LO before a stressed back vowel (Clock, Plus, Hello) and LE elsewhere: before front vowels
//   (Lake, Lapel), before any unstressed vowel (holiday, problem), and when it closes a syllable.
// - A stop that closes a syllable takes its form from the vowel before it: EB/ED/EG/EK and PE after a
//   front vowel (Web, Wig, Speak, deep), OB/OD/OG/OK and PO after a back one (Sub, Food, Dog, Book, cup).
// - T at the start of a word is TU before a vowel (To, Talk, Ten) and TT before R or W (the row of TREE).
// - ER is AXRR where it is stressed (Fir, Bird, Burn) and RR where it is not (Over).
// - Y before the vowel of "cure" (UH + R, or ER) is IYUW followed by RR (Europe, mercury, fury), except
//   in "your" and its kin, which the OWRR label names ("Corn, Four, Your"): IYEH OWRR.
// - A word spelled with "wh" starts with WH whether the dictionary says W (white) or HH (who, whose,
//   whole).
//
// The pronouncing dictionary carries no stress, so without it a vowel counts as unstressed when it is
// AH or ER after the first vowel of the word; ER in the last syllable is taken as stressed when a
// consonant other than an ending -s, -d, -t follows it (disturb, return), unstressed otherwise (under,
// workers). espeak-ng marks stress, and where it does the mark decides.

namespace telvar::pronounce {

namespace {

// Allophone names in code order: IY is 128, PO is 199.
const QStringList& allophoneNames() {
    static const QStringList names =
        QStringLiteral("IY IH EY EH AY AX UX AW OH OW UH UW MM NE NO NGE NGO LE LO WW RR IYRR EYRR "
                       "AXRR AWRR OWRR EYIY OHIY OWIY OHIH IYEH EHLE IYUW AXUW IHWW AYWW OWWW JH VV "
                       "ZZ ZH DH BE BO EB OB DE DO ED OD GE GO EG OG CH HE HO WH FF SE SO SH TH TT "
                       "TU TS KE KO EK OK PE PO")
            .split(QLatin1Char(' '));
    return names;
}

int codeOf(const QString& allophone) {
    return 128 + static_cast<int>(allophoneNames().indexOf(allophone));
}

QSet<QString> setOf(const char* names) {
    const QStringList list = QString::fromLatin1(names).split(QLatin1Char(' '));
    return QSet<QString>(list.begin(), list.end());
}

const QSet<QString> kVowels =
    setOf("AA AE AH AO AW AY EH ER EY IH IY OW OY UH UW IYRR EYRR AWRR OWRR YUW EHLE");
// Vowels made at the front of the mouth pick the "E" forms of a neighbouring consonant.
const QSet<QString> kFront = setOf("IY IH EY EH AE ER IYRR EYRR EHLE Y");
// Vowels after which a stop that closes the syllable takes its "O" form (Bob, Sub, Bud, Food, Dog, Book).
const QSet<QString> kBackBeforeStop = setOf("AA AO AH OW UW UH AW OY AWRR OWRR");
// Rounded and open back vowels that colour L (Clock, Plus, Hello), N (No, On) and S (So, Sweat).
const QSet<QString> kBack = setOf("AA AO OW UW UH AW OY AWRR OWRR");
const QSet<QString> kGlides = setOf("L R W Y");
const QSet<QString> kVoiceless = setOf("P T K F TH S SH CH HH TS");
// Endings after which an ER stays unstressed: workers, answered, cursed.
const QSet<QString> kInflections = setOf("Z D S T");

// A vowel followed by R becomes one R-coloured allophone (Corn, Part, Hair, Clear).
const QHash<QString, QString> kRColoured{
    {QStringLiteral("AA"), QStringLiteral("AWRR")}, {QStringLiteral("AO"), QStringLiteral("OWRR")},
    {QStringLiteral("UH"), QStringLiteral("OWRR")}, {QStringLiteral("EH"), QStringLiteral("EYRR")},
    {QStringLiteral("EY"), QStringLiteral("EYRR")}, {QStringLiteral("IH"), QStringLiteral("IYRR")},
    {QStringLiteral("IY"), QStringLiteral("IYRR")},
};

// Phones that always give the same allophone.
const QHash<QString, QString> kPlain{
    {QStringLiteral("IY"), QStringLiteral("IY")},     {QStringLiteral("IH"), QStringLiteral("IH")},
    {QStringLiteral("EH"), QStringLiteral("EH")},     {QStringLiteral("UH"), QStringLiteral("UH")},
    {QStringLiteral("AH"), QStringLiteral("AX")},     {QStringLiteral("AE"), QStringLiteral("AY")},
    {QStringLiteral("EY"), QStringLiteral("EYIY")},   {QStringLiteral("OY"), QStringLiteral("OWIY")},
    {QStringLiteral("YUW"), QStringLiteral("IYUW")},  {QStringLiteral("IYRR"), QStringLiteral("IYRR")},
    {QStringLiteral("EYRR"), QStringLiteral("EYRR")}, {QStringLiteral("AWRR"), QStringLiteral("AWRR")},
    {QStringLiteral("OWRR"), QStringLiteral("OWRR")}, {QStringLiteral("EHLE"), QStringLiteral("EHLE")},
    {QStringLiteral("M"), QStringLiteral("MM")},      {QStringLiteral("R"), QStringLiteral("RR")},
    {QStringLiteral("F"), QStringLiteral("FF")},      {QStringLiteral("V"), QStringLiteral("VV")},
    {QStringLiteral("Z"), QStringLiteral("ZZ")},      {QStringLiteral("ZH"), QStringLiteral("ZH")},
    {QStringLiteral("DH"), QStringLiteral("DH")},     {QStringLiteral("TH"), QStringLiteral("TH")},
    {QStringLiteral("SH"), QStringLiteral("SH")},     {QStringLiteral("CH"), QStringLiteral("CH")},
    {QStringLiteral("JH"), QStringLiteral("JH")},     {QStringLiteral("TS"), QStringLiteral("TS")},
    {QStringLiteral("Y"), QStringLiteral("IYEH")},
};

bool isVowel(const Phone& phone) {
    return kVowels.contains(phone.name);
}

QStringList vowelLetterGroups(QStringView spelling) {
    static const QRegularExpression groups(QStringLiteral("[aeiou]+|(?<=[^aeiou])y"));
    static const QRegularExpression silentE(QStringLiteral("[^aeiou]e$"));
    QStringList found;
    for (auto it = groups.globalMatch(spelling); it.hasNext();)
        found << it.next().captured();
    if (found.size() > 1 && silentE.match(spelling).hasMatch())
        found.removeLast();
    return found;
}

// The letters that spell the vowel phones[position], found by lining up vowel letters and sounds.
QString spelledVowel(QStringView spelling, const Phones& phones, qsizetype position) {
    QList<qsizetype> vowelPositions;
    for (qsizetype i = 0; i < phones.size(); ++i) {
        if (isVowel(phones[i]))
            vowelPositions << i;
    }
    QStringList groups = vowelLetterGroups(spelling);
    if (groups.isEmpty())
        groups << spelling.toString();
    qsizetype k = vowelPositions.indexOf(position);
    if (groups.size() != vowelPositions.size()) {
        // Halves go to the even neighbour.
        const double spread =
            double(k * (groups.size() - 1)) / double(std::max<qsizetype>(1, vowelPositions.size() - 1));
        k = static_cast<qsizetype>(std::nearbyint(spread));
    }
    return groups.at(k);
}

bool vowelFollows(const Phones& phones, qsizetype i) {
    for (qsizetype j = i + 1; j < phones.size(); ++j) {
        if (isVowel(phones[j]))
            return true;
    }
    return false;
}

// A syllabic L joins into EHLE only at the end of a word or before a plural or past ending (saddle,
// angles, settled), not in a full syllable such as "-cult" or "-sult".
bool endsInflected(const Phones& phones, qsizetype from) {
    for (qsizetype j = from; j < phones.size(); ++j) {
        if (phones[j].name != u"Z" && phones[j].name != u"D")
            return false;
    }
    return true;
}

bool isUnstressed(const Phones& phones, qsizetype i) {
    const Phone& p = phones[i];
    if (p.stress != Phone::kUnknownStress)
        return p.stress == 0;
    bool first = true;
    for (qsizetype j = 0; j < i; ++j)
        first = first && !isVowel(phones[j]);
    return !first && (p.name == u"AH" || p.name == u"ER");
}

bool erIsStressed(const Phones& phones, qsizetype i) {
    if (phones[i].stress != Phone::kUnknownStress)
        return phones[i].stress > 0;
    bool first = true;
    for (qsizetype j = 0; j < i; ++j)
        first = first && !isVowel(phones[j]);
    if (first)
        return true;
    if (vowelFollows(phones, i))
        return false;
    for (qsizetype j = i + 1; j < phones.size(); ++j) {
        if (!kInflections.contains(phones[j].name))
            return true;
    }
    return false;
}

// Joins the sound pairs that the chip speaks as one allophone.
Phones merge(const Phones& phones) {
    Phones out;
    const auto at = [&](qsizetype i) { return i < phones.size() ? phones[i].name : QString(); };
    const auto vowelAt = [&](qsizetype i) { return i < phones.size() && isVowel(phones[i]); };
    qsizetype i = 0;
    while (i < phones.size()) {
        const Phone& p = phones[i];
        const QString next = at(i + 1);
        const QString after = at(i + 2);
        if (p.name == u"Y" && next == u"ER" && i > 0) {
            // "mercury", "figure": the dictionary writes the cure vowel as ER after Y; at the start of a
            // word it is the vowel of "yearn" or "yourself".
            out << Phone{QStringLiteral("YUW"), phones[i + 1].stress} << Phone{QStringLiteral("R")};
            i += 2;
        } else if (p.name == u"Y" && next == u"UH" && after == u"R" && i == 0 && !vowelAt(i + 3)) {
            // "Your" is IYEH OWRR: UH + R is left to become OWRR.
            out << p;
            ++i;
        } else if (p.name == u"Y" && (next == u"UW" || next == u"UH")) {
            // Y + UH + R leaves the R to stand as RR after IYUW (Europe).
            out << Phone{QStringLiteral("YUW"), phones[i + 1].stress};
            i += 2;
        } else if (next == u"R" && kRColoured.contains(p.name) && (p.name == u"AO" || !vowelAt(i + 2))) {
            out << Phone{kRColoured.value(p.name), p.stress};
            i += 2;
        } else if (p.name == u"T" && next == u"S" && i + 2 == phones.size()) {
            out << Phone{QStringLiteral("TS")};
            i += 2;
        } else if (next == u"L" &&
                   ((p.name == u"EH" && !vowelAt(i + 2)) ||
                    (p.name == u"AH" && isUnstressed(phones, i) && endsInflected(phones, i + 2)))) {
            out << Phone{QStringLiteral("EHLE"), p.stress};
            i += 2;
        } else {
            out << p;
            ++i;
        }
    }
    return out;
}

QString stopName(const QString& p, bool eForm, bool closing) {
    static const QHash<QString, QStringList> forms{
        // onset E, onset O, closing E, closing O
        {QStringLiteral("B"),
         {QStringLiteral("BE"), QStringLiteral("BO"), QStringLiteral("EB"), QStringLiteral("OB")}},
        {QStringLiteral("D"),
         {QStringLiteral("DE"), QStringLiteral("DO"), QStringLiteral("ED"), QStringLiteral("OD")}},
        {QStringLiteral("G"),
         {QStringLiteral("GE"), QStringLiteral("GO"), QStringLiteral("EG"), QStringLiteral("OG")}},
        {QStringLiteral("K"),
         {QStringLiteral("KE"), QStringLiteral("KO"), QStringLiteral("EK"), QStringLiteral("OK")}},
        {QStringLiteral("P"),
         {QStringLiteral("PE"), QStringLiteral("PO"), QStringLiteral("PE"), QStringLiteral("PO")}},
    };
    return forms.value(p).at((closing ? 2 : 0) + (eForm ? 0 : 1));
}

QString allophoneOf(QStringView spelling, const Phones& phones, qsizetype i) {
    const QString& p = phones[i].name;
    QString previousVowel;
    for (qsizetype j = i - 1; j >= 0 && previousVowel.isEmpty(); --j) {
        if (isVowel(phones[j]))
            previousVowel = phones[j].name;
    }
    const bool hasNext = i + 1 < phones.size();
    const QString next = hasNext ? phones[i + 1].name : QString();
    const bool nextIsVowel = hasNext && isVowel(phones[i + 1]);
    const bool isOnset = nextIsVowel || kGlides.contains(next);

    if (p == u"P" || p == u"B" || p == u"D" || p == u"G" || p == u"K") {
        if (isOnset || previousVowel.isEmpty()) {
            if (!nextIsVowel) // a cluster such as Pl, Br, Cl, Gl
                return p == u"K" && next == u"L" ? QStringLiteral("KE") : stopName(p, false, false);
            return stopName(p, kFront.contains(next) || (p == u"P" && next == u"YUW"), false);
        }
        if (p == u"P")
            return stopName(p, kFront.contains(previousVowel), true);
        return stopName(p, !kBackBeforeStop.contains(previousVowel), true);
    }
    if (p == u"T")
        return i == 0 && isOnset && next != u"R" && next != u"W" ? QStringLiteral("TU")
                                                                 : QStringLiteral("TT");
    if (p == u"S")
        return kBack.contains(next) || next == u"W" ? QStringLiteral("SO") : QStringLiteral("SE");
    if (p == u"HH") {
        if (i == 0 && spelling.startsWith(u"wh"))
            return QStringLiteral("WH");
        return kFront.contains(next) ? QStringLiteral("HE") : QStringLiteral("HO");
    }
    if (p == u"W")
        return i == 0 && spelling.startsWith(u"wh") ? QStringLiteral("WH") : QStringLiteral("WW");
    if (p == u"L") {
        if (nextIsVowel && !isUnstressed(phones, i + 1) && (kBack.contains(next) || next == u"AH"))
            return QStringLiteral("LO");
        return QStringLiteral("LE");
    }
    if (p == u"N") {
        const bool back = nextIsVowel ? kBack.contains(next) : kBack.contains(previousVowel);
        return back ? QStringLiteral("NO") : QStringLiteral("NE");
    }
    if (p == u"NG")
        return kFront.contains(previousVowel) ? QStringLiteral("NGE") : QStringLiteral("NGO");
    if (p == u"ER")
        return erIsStressed(phones, i) ? QStringLiteral("AXRR") : QStringLiteral("RR");
    if (p == u"AA")
        return spelledVowel(spelling, phones, i).contains(u'o') ? QStringLiteral("OH") : QStringLiteral("AW");
    if (p == u"AO")
        return spelledVowel(spelling, phones, i) == u"o" ? QStringLiteral("OH") : QStringLiteral("AW");
    if (p == u"OW")
        return !hasNext || nextIsVowel ? QStringLiteral("OWWW") : QStringLiteral("OW");
    if (p == u"UW")
        return hasNext ? QStringLiteral("UW") : QStringLiteral("IHWW");
    if (p == u"AY")
        return kVoiceless.contains(next) ? QStringLiteral("OHIY") : QStringLiteral("OHIH");
    if (p == u"AW")
        return i == 0 ? QStringLiteral("AYWW") : QStringLiteral("AXUW");
    return kPlain.value(p);
}

} // namespace

QList<int> allophoneCodes(QStringView spelling, const Phones& phones) {
    const Phones merged = merge(phones);
    QList<int> codes;
    for (qsizetype i = 0; i < merged.size(); ++i) {
        const QString name = allophoneOf(spelling, merged, i);
        // A phone the rules do not know (a dictionary with other symbols) adds nothing.
        if (allophoneNames().contains(name))
            codes << codeOf(name);
    }
    return codes;
}

} // namespace telvar::pronounce
