// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/PhonemeRun.h"

#include "pronounce/EspeakPhonemes.h"

#include <algorithm>

namespace telvar {

namespace {

constexpr int kNotAVowel = 0;
constexpr int kEH = 131;
constexpr int kAX = 133;
constexpr int kRR = 148;
constexpr int kIYEH = 158;
constexpr int kEHLE = 159;

// IYEH sits among the vowels' codes but is the glide into one.
bool isVowel(int code) {
    return ((code >= 128 && code <= 139) || (code >= 149 && code <= 164)) && code != kIYEH;
}

// The neutral AX and the syllabic L rarely carry a word's stress; every other vowel can.
bool isFullVowel(int code) {
    return isVowel(code) && code != kAX && code != kEHLE;
}

} // namespace

void PhonemeRun::add(int code, bool stressed) {
    m_sounds.append({code, stressed});
}

int PhonemeRun::codeAt(qsizetype i) const {
    return i >= 0 && i < m_sounds.size() ? m_sounds[i].code : kNotAVowel;
}

// The vowel a sound brings: IYEH with no vowel after it brings its own, the EH of "yes".
int PhonemeRun::vowelOf(qsizetype i) const {
    const int code = codeAt(i);
    if (code == kIYEH)
        return isVowel(codeAt(i + 1)) ? kNotAVowel : kEH;
    return isVowel(code) ? code : kNotAVowel;
}

// An R between consonants, or after one at the end, is the vowel of its syllable ("better", "awkward");
// a second R after such an R only lengthens it.
bool PhonemeRun::isSyllabicR(qsizetype i) const {
    if (codeAt(i) != kRR || i == 0 || vowelOf(i - 1) != kNotAVowel || isSyllabicR(i - 1))
        return false;
    return vowelOf(i + 1) == kNotAVowel;
}

// Phonemes without a stress mark are all spoken unstressed, which flattens a word until it is hard to
// make out; so a run that the codes do not stress gets its stress on the first full vowel, where most
// words of the vocabulary have it, else on its first vowel.
qsizetype PhonemeRun::stressedSound() const {
    if (std::any_of(m_sounds.begin(), m_sounds.end(), [](const Sound& s) { return s.stressed; }))
        return -1;
    qsizetype firstVowel = -1;
    for (qsizetype i = 0; i < m_sounds.size(); ++i) {
        const int vowel = vowelOf(i);
        if (isFullVowel(vowel))
            return i;
        if (firstVowel < 0 && vowel != kNotAVowel)
            firstVowel = i;
    }
    return firstVowel;
}

QString PhonemeRun::spoken(qsizetype i, bool stress) const {
    const QString mark = stress ? QStringLiteral("'") : QString();
    switch (codeAt(i)) {
    case kIYEH:
        return vowelOf(i) == kEH ? QStringLiteral("j") + mark + QStringLiteral("E")
                                 : mark + QStringLiteral("j");
    case kAX:
        // The chip's AX serves for the vowel of "luck" and for every reduced vowel alike.
        return stress ? mark + QStringLiteral("V") : QStringLiteral("@");
    case kRR:
        return mark + (isSyllabicR(i) ? QStringLiteral("3") : QStringLiteral("r"));
    case kEHLE:
        // After a consonant it is the syllabic L of "saddle"; stressed or on its own, the "el" of "else".
        return stress || vowelOf(i - 1) != kNotAVowel || i == 0 ? mark + QStringLiteral("El")
                                                                : QStringLiteral("@L");
    default:
        return mark + espeakPhonemes(codeAt(i));
    }
}

QString PhonemeRun::text() const {
    const qsizetype stressAt = stressedSound();
    QString text;
    for (qsizetype i = 0; i < m_sounds.size(); ++i)
        text += spoken(i, m_sounds[i].stressed || i == stressAt);
    return text;
}

} // namespace telvar
