// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <array>

namespace telvar::builtin {

inline constexpr int kWordCount = 2051; // list entries 0..2050
inline constexpr int kRowCount = 2055;  // code rows 0..2054
inline constexpr int kRowLength = 10;

// The built-in word list (`addto`): 2051 entries, 2048-2050 empty.
const QStringList& words();
// The built-in code rows (`phone` ... `phone6`): row r is elements 10r..10r+9, codes then pads (48).
const std::array<qint16, kRowCount * kRowLength>& codeRows();

} // namespace telvar::builtin
