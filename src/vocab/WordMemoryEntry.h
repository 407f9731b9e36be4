// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace telvar {

// One entry of the device's spoken-word record: the word-memory address of a spoken word, 8 x its index.
namespace WordMemoryEntry {

inline constexpr int kIndexLimit = 2048; // an address of 8 x 2048 or more names no word

// value / 8 rounded half to even (value 12 -> 2, 20 -> 2, 28 -> 4).
int roundedIndex(quint16 value);

// The List3 item an entry names: the rounded index, or nothing when value / 8 is 2048 or more, or the
// index lies beyond the last of `listSize` items (a shortened word list).
std::optional<int> itemIndex(quint8 low, quint8 high, qsizetype listSize);

// The word an entry names: the List3 item at the rounded index, or nothing when value / 8 is 2048 or
// more, or the index lies beyond the last item (a shortened word list).
std::optional<QString> decode(quint8 low, quint8 high, const QStringList& list3);

} // namespace WordMemoryEntry

} // namespace telvar
