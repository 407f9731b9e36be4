// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/EspeakPhonemes.h"

#include <array>

namespace telvar {

namespace {

// The chip splits sounds more finely than espeak-ng: the "E" and "O" forms of a consonant (the form taken
// before front or back vowels), and the stops before and after a vowel, all fall on one espeak phoneme.
// The choice for each vowel follows the example words of the editor's allophone labels.
constexpr std::array<const char*, kLastAllophone - kFirstAllophone + 1> kPhonemes{
    "i:",  // 128 IY   See, Even, Feed
    "I",   // 129 IH   Sit, Fix, Pin
    "e",   // 130 EY   Hair, Gate, Beige: the diphthong's first half
    "E",   // 131 EH   Met, Check, Red
    "a",   // 132 AY   Hat, Fast, Fan
    "V",   // 133 AX   Luck, Jump, Plus
    "u",   // 134 UX   Blue, Food: the short form
    "A:",  // 135 AW   Father, Fall
    "0",   // 136 OH   Hot, Clock, Fox
    "oU",  // 137 OW   Comb, Over, Hold
    "U",   // 138 UH   Book, Could, Should
    "u:",  // 139 UW   Food, June
    "m",   // 140 MM
    "n",   // 141 NE
    "n",   // 142 NO
    "N",   // 143 NGE
    "N",   // 144 NGO
    "l",   // 145 LE
    "l",   // 146 LO
    "w",   // 147 WW
    "r",   // 148 RR   Ray, Brain, Over
    "i@3", // 149 IYRR Clear, Hear, Year
    "e@",  // 150 EYRR Hair, Stair, Repair
    "3:",  // 151 AXRR Fir, Bird, Burn
    "A@",  // 152 AWRR Part, Farm, Yarn
    "o@",  // 153 OWRR Corn, Four, Your
    "eI",  // 154 EYIY Gate, Ate, Ray
    "aI",  // 155 OHIY Mice, Fight, White
    "OI",  // 156 OWIY Boy, Toy, Voice
    "aI",  // 157 OHIH Sky, Five, I
    "j",   // 158 IYEH Yes, Yarn, Million: the glide into the vowel
    "@L",  // 159 EHLE Saddle, Angle, Spell
    "ju:", // 160 IYUW Cute, Few, Computer
    "aU",  // 161 AXUW Brown, Clown, Thousand
    "u:",  // 162 IHWW Two, New, Zoo
    "aU",  // 163 AYWW Our, Ouch, Owl
    "oU",  // 164 OWWW Go, Hello, Snow
    "dZ",  // 165 JH
    "v",   // 166 VV
    "z",   // 167 ZZ
    "Z",   // 168 ZH
    "D",   // 169 DH
    "b",   // 170 BE
    "b",   // 171 BO
    "b",   // 172 EB
    "b",   // 173 OB
    "d",   // 174 DE
    "d",   // 175 DO
    "d",   // 176 ED
    "d",   // 177 OD
    "g",   // 178 GE
    "g",   // 179 GO
    "g",   // 180 EG
    "g",   // 181 OG
    "tS",  // 182 CH
    "h",   // 183 HE
    "h",   // 184 HO
    "w",   // 185 WH   espeak-ng's English voice has no separate voiceless W
    "f",   // 186 FF
    "s",   // 187 SE
    "s",   // 188 SO
    "S",   // 189 SH
    "T",   // 190 TH
    "t",   // 191 TT
    "t",   // 192 TU
    "ts",  // 193 TS
    "k",   // 194 KE
    "k",   // 195 KO
    "k",   // 196 EK
    "k",   // 197 OK
    "p",   // 198 PE
    "p",   // 199 PO
};

} // namespace

QString espeakPhonemes(int code) {
    if (code < kFirstAllophone || code > kLastAllophone)
        return {};
    return QString::fromLatin1(kPhonemes[code - kFirstAllophone]);
}

} // namespace telvar
