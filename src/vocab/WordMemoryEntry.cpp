// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/WordMemoryEntry.h"

namespace telvar::WordMemoryEntry {

int roundedIndex(quint16 value) {
    const int whole = value / 8;
    const int eighths = value % 8;
    return eighths > 4 || (eighths == 4 && whole % 2 == 1) ? whole + 1 : whole;
}

std::optional<int> itemIndex(quint8 low, quint8 high, qsizetype listSize) {
    const quint16 value = static_cast<quint16>(low + 256 * high);
    if (value >= 8 * kIndexLimit)
        return std::nullopt;
    const int index = roundedIndex(value);
    if (index >= listSize)
        return std::nullopt;
    return index;
}

std::optional<QString> decode(quint8 low, quint8 high, const QStringList& list3) {
    const std::optional<int> index = itemIndex(low, high, list3.size());
    if (!index)
        return std::nullopt;
    return list3.at(*index);
}

} // namespace telvar::WordMemoryEntry
