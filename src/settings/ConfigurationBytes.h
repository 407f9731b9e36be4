// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

namespace telvar {

// The device's numbered one-byte settings, read with "C" and written with "B".
namespace ConfigurationBytes {

inline constexpr int kCount = 16;

inline constexpr int kGain = 0;
inline constexpr int kOffset = 1;
inline constexpr int kVolume = 2;
inline constexpr int kSpeed = 3;
inline constexpr int kPitch = 4;
inline constexpr int kBend = 5;
inline constexpr int kPowerSave = 8;
inline constexpr int kRateLow = 12;
inline constexpr int kRateHigh = 13;

// Short names for listings ("gain", "rate-low" ...); "-" for the bytes the program never uses. Empty
// outside 0..15.
QString name(int address);

// The settings that have a slider on the SET UP screen.
enum class Setting { Gain, Offset, Volume, Speed, Pitch, Bend, Rate };

struct Range {
    int minimum;
    int maximum;
    constexpr bool contains(int value) const { return value >= minimum && value <= maximum; }
};

Range range(Setting setting);

// One "B" write: configuration byte `address` := `value`.
struct Write {
    int address;
    int value;
    friend bool operator==(const Write&, const Write&) = default;
};

} // namespace ConfigurationBytes

} // namespace telvar
