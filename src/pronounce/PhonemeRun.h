// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace telvar {

// One unbroken run of allophone codes, written as espeak-ng phoneme input. The chip says each allophone
// the same wherever it stands, but espeak-ng's phonemes are cut finer than that: a neutral vowel, an R or
// a syllabic L sound right only when their neighbours and the word's stress are known, so a run is
// collected whole and written out at its end.
class PhonemeRun {
public:
    // `stressed`: a \STRESS code came before this sound.
    void add(int code, bool stressed);
    qsizetype size() const { return m_sounds.size(); }
    bool isEmpty() const { return m_sounds.isEmpty(); }
    // The phonemes without the brackets, e.g. "h@l'oU".
    QString text() const;

private:
    struct Sound {
        int code = 0;
        bool stressed = false;
    };

    int codeAt(qsizetype i) const;
    int vowelOf(qsizetype i) const;
    bool isSyllabicR(qsizetype i) const;
    qsizetype stressedSound() const;
    QString spoken(qsizetype i, bool stress) const;

    QList<Sound> m_sounds;
};

} // namespace telvar
