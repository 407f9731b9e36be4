// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/WaitResult.h"

#include <QString>

namespace telvar {

// A step of a device sequence as a message names it when it fails: the command letter in quotes and its
// argument bytes ("C" 3), so the user can tell which exchange the device did not complete.
inline QString deviceStep(char letter) {
    return QStringLiteral("\"%1\"").arg(QLatin1Char(letter));
}

inline QString deviceStep(char letter, int argument) {
    return deviceStep(letter) + QStringLiteral(" %1").arg(argument);
}

inline QString deviceStep(char letter, int first, int second) {
    return deviceStep(letter, first) + QStringLiteral(" %1").arg(second);
}

// Why `step` did not complete: no reply to "C" 14, "D" not sent because the device is gone, ...
inline QString describeAt(const WaitResult& result, const QString& step) {
    switch (result.kind()) {
    case WaitResult::Ok:
        break;
    case WaitResult::TimedOut:
        return QStringLiteral("no reply to %1").arg(step);
    case WaitResult::Unplugged:
        return QStringLiteral("%1 at %2").arg(describe(result), step);
    case WaitResult::Cancelled:
        return QStringLiteral("cancelled at %1").arg(step);
    case WaitResult::WriteFailed:
        return QStringLiteral("could not send %1 to the Telvar X: %2").arg(step, result.detail());
    }
    return describe(result);
}

} // namespace telvar
