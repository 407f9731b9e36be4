// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Sensitivity.h"

namespace telvar::Sensitivity {

std::array<ConfigurationBytes::Write, 2> writes(int gain, int offset) {
    return {{{ConfigurationBytes::kGain, gain}, {ConfigurationBytes::kOffset, offset}}};
}

std::array<quint8, 2> storedArguments(int offset) {
    return {1, static_cast<quint8>(offset)};
}

} // namespace telvar::Sensitivity
