#pragma once

#include <QString>

namespace telvar {

// A step of a settings sequence as the title bar names it when it fails: the command letter in quotes and
// its first argument byte ("C" 3), so the user can tell which setting the device did not take.
inline QString deviceStep(char letter) {
    return QStringLiteral("\"%1\"").arg(QLatin1Char(letter));
}

inline QString deviceStep(char letter, int argument) {
    return deviceStep(letter) + QStringLiteral(" %1").arg(argument);
}

} // namespace telvar
