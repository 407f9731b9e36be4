// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsReadout.h"

namespace telvar {

using ConfigurationBytes::Setting;

std::optional<SliderValue> SettingsReadout::take(int address, quint8 value) {
    std::optional<SliderValue> read;
    switch (address) {
    case ConfigurationBytes::kGain:
        read = SliderValue{Setting::Gain, value};
        break;
    case ConfigurationBytes::kOffset:
        read = SliderValue{Setting::Offset, value};
        break;
    case ConfigurationBytes::kVolume:
        read = SliderValue{Setting::Volume, value};
        break;
    case ConfigurationBytes::kSpeed:
        read = SliderValue{Setting::Speed, value};
        break;
    case ConfigurationBytes::kPitch:
        read = SliderValue{Setting::Pitch, value};
        break;
    case ConfigurationBytes::kBend:
        read = SliderValue{Setting::Bend, value};
        break;
    case ConfigurationBytes::kRateLow:
        m_rateLow = value;
        break;
    case ConfigurationBytes::kRateHigh:
        read = SliderValue{Setting::Rate, value * 256 + m_rateLow};
        break;
    default:
        break;
    }
    if (read && !ConfigurationBytes::range(read->setting).contains(read->value))
        return std::nullopt;
    return read;
}

} // namespace telvar
