#pragma once

#include <QString>

namespace telvar {

// A number as the program shows it in captions and text boxes: decimal, with one leading blank when it is
// not negative (" 200", "-3").
inline QString numberText(qint64 value) {
    return value >= 0 ? QStringLiteral(" %1").arg(value) : QString::number(value);
}

} // namespace telvar
