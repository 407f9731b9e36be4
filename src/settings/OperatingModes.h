// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <bitset>

namespace telvar {

// The device's operating modes as the modes screen and telvarctl offer them, and the mode-availability
// bits that tell the device which modes stay selectable on the device itself.
namespace OperatingModes {

struct Mode {
    const char* caption;
    const char* toolTip;
    char letter;
    const char* name; // as telvarctl takes it
};

// Top to bottom, each beside the availability box of the same index.
inline constexpr std::array<Mode, 8> kModes{{
    {"Dictionary Mode", "Click here to run dictionary mode", 'G', "dictionary"},
    {"Phonetic Mode", "Click here to run phonetic  mode", 'H', "phonetic"},
    {" Reverse Phonetic Mode", "Click here to run reverse phonetic  mode", 'I', "reverse-phonetic"},
    {"Touch Mode", "Click here to run  Touch   mode", 'K', "touch"},
    // Energy mode shares touch mode's letter on the device.
    {"Energy mode", "Click here to run Energy Mode  \"EM Pump\"", 'K', "energy"},
    {"White Noise Mode", "Click here to run White Noise Mode", 'O', "white-noise"},
    {"Say Last Words Said", "Click here to hear the last spoken words", 'X', "say-last-words"},
    {"Sync mode", "Click here to run SYNC Mode", 'F', "sync"},
}};

inline constexpr int kBoxCount = 16;
// Boxes 8-15 stand beside buttons of modes the device does not have yet; they stay unticked.
inline constexpr int kUsableBoxCount = 8;
// The availability value is kept in these two configuration bytes, low byte first.
inline constexpr quint8 kLowConfigByte = 14;
inline constexpr quint8 kHighConfigByte = 15;

using Availability = std::bitset<kBoxCount>;

// The index of the mode telvarctl calls `name`, or -1.
inline int modeIndex(QStringView name) {
    for (std::size_t i = 0; i < kModes.size(); ++i) {
        if (name == QLatin1String(kModes[i].name))
            return static_cast<int>(i);
    }
    return -1;
}

// Bit k set when box k is ticked; 0..65535.
inline quint32 availabilityValue(const Availability& ticked) {
    return static_cast<quint32>(ticked.to_ulong());
}
inline quint8 lowByte(quint32 value) {
    return static_cast<quint8>(value % 256);
}
inline quint8 highByte(quint32 value) {
    return static_cast<quint8>(value / 256 % 256);
}

} // namespace OperatingModes

} // namespace telvar
