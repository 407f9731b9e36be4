// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Voice.h"

#include <utility>

namespace telvar::Voice {

namespace {
// SpeakJet control codes that set the voice until the chip is reset.
constexpr char kVolumeCode = 20;
constexpr char kSpeedCode = 21;
constexpr char kPitchCode = 22;
constexpr char kBendCode = 23;
} // namespace

QByteArray chipBytes(const VoiceSettings& voice) {
    QByteArray bytes;
    for (const auto& [code, value] :
         {std::pair{kVolumeCode, voice.volume}, std::pair{kSpeedCode, voice.speed},
          std::pair{kPitchCode, voice.pitch}, std::pair{kBendCode, voice.bend}}) {
        bytes.append(code);
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

std::array<ConfigurationBytes::Write, 4> writes(const VoiceSettings& voice) {
    return {{{ConfigurationBytes::kVolume, voice.volume},
             {ConfigurationBytes::kSpeed, voice.speed},
             {ConfigurationBytes::kPitch, voice.pitch},
             {ConfigurationBytes::kBend, voice.bend}}};
}

} // namespace telvar::Voice
