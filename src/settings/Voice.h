// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ConfigurationBytes.h"

#include <QByteArray>

#include <array>

namespace telvar {

struct VoiceSettings {
    int volume;
    int speed;
    int pitch;
    int bend;
    friend bool operator==(const VoiceSettings&, const VoiceSettings&) = default;
};

namespace Voice {

// What the device ships with; "Default Voice" stores and plays it.
inline constexpr VoiceSettings kDefault{127, 103, 89, 5};

// The "N" steps that play the device's test phrase after the voice has been passed to the chip.
inline constexpr std::array<int, 3> kTestSteps{1, 2, 3};

// The eight bytes passed to the speech chip with "V": each SpeakJet control code, then its value.
QByteArray chipBytes(const VoiceSettings& voice);

// The configuration writes that store a voice, in the order they are sent.
std::array<ConfigurationBytes::Write, 4> writes(const VoiceSettings& voice);

} // namespace Voice

} // namespace telvar
