// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigurationBytes.h"

#include <QString>

#include <array>

namespace telvar::EnergyRate {

// The energy mode's frequency for a rate value, as the SET UP screen shows it: "250.150 Hz" for 4.
QString hzText(int rate);

// The rate as configuration bytes 12 (low) and 13 (high), in the order they are written.
std::array<ConfigurationBytes::Write, 2> writes(int rate);

} // namespace telvar::EnergyRate
