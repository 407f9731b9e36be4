// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/EnergyRate.h"

namespace telvar::EnergyRate {

QString hzText(int rate) {
    const double hertz = 1.0 / (rate * 0.001) + 0.15;
    return QString::number(hertz, 'f', 3) + QStringLiteral(" Hz");
}

std::array<ConfigurationBytes::Write, 2> writes(int rate) {
    return {{{ConfigurationBytes::kRateLow, rate % 256}, {ConfigurationBytes::kRateHigh, rate / 256}}};
}

} // namespace telvar::EnergyRate
