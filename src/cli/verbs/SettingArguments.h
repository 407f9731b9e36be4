// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigurationBytes.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace telvar::cli {

// A setting's value as typed: a whole number inside the range of its slider on the SET UP screen.
inline std::optional<int> parseSetting(const QString& word, ConfigurationBytes::Setting setting) {
    bool ok = false;
    const int value = word.toInt(&ok);
    if (!ok || !ConfigurationBytes::range(setting).contains(value))
        return std::nullopt;
    return value;
}

inline QString rangeText(const QString& what, ConfigurationBytes::Setting setting) {
    const ConfigurationBytes::Range range = ConfigurationBytes::range(setting);
    return QStringLiteral("%1 is a whole number from %2 to %3")
        .arg(what)
        .arg(range.minimum)
        .arg(range.maximum);
}

// "on" or "off".
inline std::optional<bool> parseSwitch(const QStringList& words) {
    if (words.size() == 1 && words.first() == QLatin1String("on"))
        return true;
    if (words.size() == 1 && words.first() == QLatin1String("off"))
        return false;
    return std::nullopt;
}

} // namespace telvar::cli
