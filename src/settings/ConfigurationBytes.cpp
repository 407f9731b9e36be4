// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigurationBytes.h"

namespace telvar::ConfigurationBytes {

namespace {
constexpr std::array<const char*, kCount> kNames = {
    "gain",       "offset", "volume", "speed", "pitch",    "bend",      "count-low", "count-high",
    "power-save", "-",      "-",      "-",     "rate-low", "rate-high", "modes-low", "modes-high"};
} // namespace

QString name(int address) {
    if (address < 0 || address >= kCount)
        return {};
    return QString::fromLatin1(kNames[address]);
}

Range range(Setting setting) {
    switch (setting) {
    case Setting::Gain:
        return {1, 10};
    case Setting::Offset:
        return {10, 255};
    case Setting::Volume:
    case Setting::Speed:
        return {0, 127};
    case Setting::Pitch:
        return {0, 254};
    case Setting::Bend:
        return {0, 15};
    case Setting::Rate:
        return {4, 1000};
    }
    return {0, 0};
}

} // namespace telvar::ConfigurationBytes
