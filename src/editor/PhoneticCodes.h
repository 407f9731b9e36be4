// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace telvar {

inline constexpr char kResetCode = 31;    // "\RESET": the chip starts every phrase from its defaults
inline constexpr char kPhoneticPad = '0'; // fills a stored phonetic string up to ten codes
inline constexpr int kStoredPhoneticLength = 10;

// What the editor sends for mnemonic text: the reset code, then the text's codes.
QByteArray SayThisAllophoneList(QStringView zAllophoneList);

// What "Replace" stores for mnemonic text: its codes, filled up with "0" to ten; a longer string is kept
// whole.
QByteArray ripList(QStringView zAllophoneList);

// The code string without blanks (code 32) at either end; other codes, the line feed 10 among them,
// stay.
QByteArrayView withoutBlanks(QByteArrayView codes);
// A word without blanks at either end; tabs, no-break spaces and line feeds stay, so a word that is not
// edited goes back to its file as it came.
QStringView withoutBlanks(QStringView word);

} // namespace telvar
