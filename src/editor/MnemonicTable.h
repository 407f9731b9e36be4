// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

#include <array>

namespace telvar {

// The program's table of SpeakJet mnemonics. The index of an entry is its code: 0-254 are codes the chip
// receives, 301-352 are note pseudo-codes that only this program knows (a note is sent as the pitch
// control code followed by the note's frequency). Entries without a mnemonic are empty and match nothing.
inline constexpr int kMnemonicCount = 401;
inline constexpr int kNoMnemonic = 401;    // FindMnemonic's answer when nothing matches
inline constexpr int kFirstNoteCode = 256; // table indexes from here on are never sent as they are
inline constexpr char kPitchCode = 22;     // "\PITCH": precedes a note's frequency

using MnemonicEntries = std::array<QString, kMnemonicCount>;

// The table, built on first use and read-only for the rest of the run, so any thread may read it.
const MnemonicEntries& MnemonicTable();

// Builds the table up front, so the first conversion the user triggers does not pay for it.
void BuildMnemonicTable();

// The lowest index whose entry equals the token upper-cased (ASCII letters only), or kNoMnemonic. The
// backslash is part of the comparison: "IY" alone matches nothing.
int FindMnemonic(QStringView token);

// The pitch value (the note's frequency in hertz) that follows the pitch code for a note pseudo-code;
// 0 for anything that is not a note.
int NotePitch(int code);

} // namespace telvar
