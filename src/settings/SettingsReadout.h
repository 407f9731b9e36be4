// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigurationBytes.h"

#include <optional>

namespace telvar {

// A value read from the device that goes onto a slider.
struct SliderValue {
    ConfigurationBytes::Setting setting;
    int value;
    friend bool operator==(const SliderValue&, const SliderValue&) = default;
};

// Read settings, one configuration byte at a time, addresses 0 to kLastAddress in order: decides what each
// value does to the SET UP screen. The rate spans two bytes, so the low byte is held until the high one
// comes.
class SettingsReadout {
public:
    static constexpr int kLastAddress = 14;

    // The slider to set, or nothing: the byte has no slider, or its value lies outside the slider's range
    // (the device's value is then not shown, and the slider keeps what it had).
    std::optional<SliderValue> take(int address, quint8 value);

private:
    int m_rateLow = 0;
};

} // namespace telvar
