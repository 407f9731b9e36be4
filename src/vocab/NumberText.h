// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// A number as the program shows it in captions and text boxes: decimal, with one leading blank when it is
// not negative (" 200", "-3").
inline QString numberText(qint64 value) {
    return value >= 0 ? QStringLiteral(" %1").arg(value) : QString::number(value);
}

// A word as messages name it: its number as the Word List screen's number box shows it (counted from 1,
// while word indexes count from 0), and its spelling when it has one: #202 "PIERCE".
inline QString wordName(int index, const QString& word) {
    const QString number = QStringLiteral("#%1").arg(index + 1);
    return word.isEmpty() ? number : QStringLiteral("%1 \"%2\"").arg(number, word);
}

} // namespace telvar
