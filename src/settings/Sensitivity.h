// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigurationBytes.h"

#include <QtGlobal>

#include <array>

namespace telvar::Sensitivity {

// "Save Setting": gain, then offset, in this order.
std::array<ConfigurationBytes::Write, 2> writes(int gain, int offset);

// The argument bytes of the "d" report that follows the two writes (the offset again, after a 1).
std::array<quint8, 2> storedArguments(int offset);

} // namespace telvar::Sensitivity
