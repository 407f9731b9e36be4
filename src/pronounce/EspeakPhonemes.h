// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

inline constexpr int kFirstAllophone = 128;
inline constexpr int kLastAllophone = 199;

// The nearest sound of espeak-ng's English voice for an allophone code, as espeak-ng's phoneme mnemonics
// (the text it takes between "[[" and "]]"); empty for a code that is not an allophone.
QString espeakPhonemes(int code);

} // namespace telvar
