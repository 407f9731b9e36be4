// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Timings.h"

#include <QtGlobal>

#include <algorithm>

namespace telvar::Timings {

namespace {
int initialDivisor() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("TELVAR_TIME_DIVISOR", &ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : 1;
}
int g_divisor = initialDivisor();
} // namespace

int divisor() {
    return g_divisor;
}

void setDivisor(int value) {
    g_divisor = value > 0 ? value : 1;
}

milliseconds scaled(milliseconds real) {
    if (g_divisor == 1 || real.count() == 0)
        return real;
    return std::max(milliseconds{1}, real / g_divisor);
}

} // namespace telvar::Timings
