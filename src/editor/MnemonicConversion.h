// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace telvar {

// Mnemonic text is what the user writes: one token per code, each introduced by a backslash
// ("\HE \EH \LO \OW", "\SPEED \114"). A code string is what the chip receives, one byte per code.

// The canonical token form: upper case, every run of separators (anything but A-Z, 0-9 and "#")
// becomes one " \" and a trailing separator disappears. "\ iy,eh" gives " \IY \EH".
QString NormalizeMnemonics(QStringView text);

// Converts mnemonic text into a code string. A token gives its number ("\128"), its table code ("\IY"),
// the pitch code and a frequency (a note such as "\NTA2"), or nothing when it is unknown.
QByteArray MnemonicsToCodes(QStringView text);

// The table entry of each code, concatenated with no separator ("\IY\EH"); codes without an entry, such
// as the pad 48, show nothing.
QString CodesToMnemonics(QByteArrayView codes);

// The same with one blank between the tokens ("\HE \EH \LO \OWWW"), as a suggestion is shown for
// editing.
QString CodesToSpacedMnemonics(QByteArrayView codes);

} // namespace telvar
