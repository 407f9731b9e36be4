// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one place that names the Telvar X on the bus; the udev rule in packaging/ is checked against it.
namespace telvar {

inline constexpr int kVendorId = 1240;   // 0x04D8
inline constexpr int kProductId = 65267; // 0xFEF3

} // namespace telvar
