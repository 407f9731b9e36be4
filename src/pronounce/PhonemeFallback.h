// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pronounce/Phone.h"

#include <QString>
#include <QStringView>

#include <chrono>
#include <optional>

namespace telvar::pronounce {

// Words the pronouncing dictionary lacks are read by the espeak-ng program (run, never linked): its
// phoneme output ("h@l'oU") becomes ARPAbet with the stress espeak-ng marks.
class PhonemeFallback {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeLimit{3000};

    // `program` is a name on the PATH or a path; an empty one means there is no fallback.
    explicit PhonemeFallback(QString program, std::chrono::milliseconds timeLimit = kDefaultTimeLimit);

    bool isAvailable() const;
    // The phones of a word written in letters (an apostrophe may join them); nothing for any other text,
    // which espeak-ng would read aloud symbol by symbol, for a word it can only spell letter by letter,
    // for a missing program, one that fails or runs past the time limit, or output with a phoneme that
    // has no ARPAbet counterpart.
    std::optional<Phones> read(const QString& word) const;

    // espeak-ng's phoneme text (as `espeak-ng -q -x -v en-us` prints it) in ARPAbet; a primary or
    // secondary stress mark stresses the next vowel, every other vowel is unstressed.
    static std::optional<Phones> fromPhonemeText(QStringView text);

private:
    std::optional<QString> phonemeText(const QString& text) const;
    bool isSpelled(const QString& word, const Phones& phones) const;

    QString m_program;
    std::chrono::milliseconds m_timeLimit;
};

} // namespace telvar::pronounce
