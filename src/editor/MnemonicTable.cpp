// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/MnemonicTable.h"

#include <iterator>

namespace telvar {

namespace {

constexpr const char* kControlNames[] = {
    "\\P0",    "\\P1",   "\\P2",     "\\P3",  "\\P4",     "\\P5",    "\\P6",     "\\FAST",
    "\\SLOW",  nullptr,  nullptr,    nullptr, nullptr,    nullptr,   "\\STRESS", "\\RELAX",
    "\\WAIT",  nullptr,  "\\SOFT",   nullptr, "\\VOLUME", "\\SPEED", "\\PITCH",  "\\BEND",
    "\\PCTRL", "\\POUT", "\\REPEAT", nullptr, "\\CALL",   "\\PLAY",  "\\DELAY",  "\\RESET",
};

constexpr int kFirstAllophone = 128;
constexpr const char* kAllophoneNames[] = {
    "IY",   "IH",   "EY",   "EH",   "AY",   "AX",   "UX",   "AW",   "OH",   "OW",   "UH",   "UW",
    "MM",   "NE",   "NO",   "NGE",  "NGO",  "LE",   "LO",   "WW",   "RR",   "IYRR", "EYRR", "AXRR",
    "AWRR", "OWRR", "EYIY", "OHIY", "OWIY", "OHIH", "IYEH", "EHLE", "IYUW", "AXUW", "IHWW", "AYWW",
    "OWWW", "JH",   "VV",   "ZZ",   "ZH",   "DH",   "BE",   "BO",   "EB",   "OB",   "DE",   "DO",
    "ED",   "OD",   "GE",   "GO",   "EG",   "OG",   "CH",   "HE",   "HO",   "WH",   "FF",   "SE",
    "SO",   "SH",   "TH",   "TT",   "TU",   "TS",   "KE",   "KO",   "EK",   "OK",   "PE",   "PO",
};

// Sound effects: a family letter and a numbered run of codes.
struct EffectFamily {
    char letter;
    int firstCode;
    int count;
};
constexpr EffectFamily kEffectFamilies[] = {
    {'R', 200, 10}, {'A', 210, 10}, {'B', 220, 10}, {'C', 230, 10}, {'D', 240, 12}, {'M', 252, 3},
};

constexpr const char* kNoteNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr int kNotesPerOctave = 12;
constexpr int kOctaveCount = 3;
constexpr int kFirstOctaveCode = 301;
constexpr int kOctaveStride = 20; // octave 2 starts at 321, octave 3 at 341

// Frequencies rounded to whole hertz, as the chip's pitch control takes them (F#2 is 93, not 92).
constexpr int kNotePitches[kOctaveCount][kNotesPerOctave] = {
    {33, 35, 37, 39, 41, 44, 46, 49, 52, 55, 58, 62},
    {65, 69, 73, 78, 82, 87, 93, 98, 104, 110, 117, 123},
    {131, 139, 147, 156, 165, 175, 185, 196, 208, 220, 233, 247},
};

MnemonicEntries makeTable() {
    MnemonicEntries table;
    for (int code = 0; code < int(std::size(kControlNames)); ++code) {
        if (kControlNames[code])
            table[code] = QString::fromLatin1(kControlNames[code]);
    }
    for (int i = 0; i < int(std::size(kAllophoneNames)); ++i)
        table[kFirstAllophone + i] = QLatin1Char('\\') + QString::fromLatin1(kAllophoneNames[i]);
    for (const EffectFamily& family : kEffectFamilies) {
        for (int i = 0; i < family.count; ++i)
            table[family.firstCode + i] = QStringLiteral("\\%1%2").arg(QLatin1Char(family.letter)).arg(i);
    }
    for (int octave = 0; octave < kOctaveCount; ++octave) {
        for (int note = 0; note < kNotesPerOctave; ++note) {
            table[kFirstOctaveCode + octave * kOctaveStride + note] =
                QStringLiteral("\\NT%1%2").arg(QLatin1String(kNoteNames[note])).arg(octave + 1);
        }
    }
    return table;
}

char16_t asciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

// Only ASCII letters are upper-cased: every entry is ASCII, and full Unicode case mapping would turn
// letters such as the dotless i into a match.
bool equalsUpperCased(QStringView token, const QString& entry) {
    if (token.size() != entry.size())
        return false;
    for (qsizetype i = 0; i < token.size(); ++i) {
        if (asciiUpper(token[i].unicode()) != entry[i].unicode())
            return false;
    }
    return true;
}

} // namespace

const MnemonicEntries& MnemonicTable() {
    static const MnemonicEntries table = makeTable();
    return table;
}

void BuildMnemonicTable() {
    MnemonicTable();
}

int FindMnemonic(QStringView token) {
    const MnemonicEntries& table = MnemonicTable();
    for (int index = 0; index < kMnemonicCount; ++index) {
        if (!table[index].isEmpty() && equalsUpperCased(token, table[index]))
            return index;
    }
    return kNoMnemonic;
}

int NotePitch(int code) {
    const int offset = code - kFirstOctaveCode;
    if (offset < 0)
        return 0;
    const int octave = offset / kOctaveStride;
    const int note = offset % kOctaveStride;
    if (octave >= kOctaveCount || note >= kNotesPerOctave)
        return 0;
    return kNotePitches[octave][note];
}

} // namespace telvar
