// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <optional>
#include <vector>

namespace telvar::cli {

// Whole numbers 0..255 given as separate words; nullopt when one is not, with the word in *bad.
inline std::optional<std::vector<quint8>> parseBytes(const QStringList& words, QString* bad) {
    std::vector<quint8> bytes;
    for (const QString& word : words) {
        bool ok = false;
        const int value = word.toInt(&ok);
        if (!ok || value < 0 || value > 255) {
            *bad = word;
            return std::nullopt;
        }
        bytes.push_back(static_cast<quint8>(value));
    }
    return bytes;
}

} // namespace telvar::cli
