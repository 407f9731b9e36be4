#pragma once

#include "device/WaitResult.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <array>
#include <bitset>
#include <functional>

namespace telvar {

class DeviceLink;

// The device's operating modes as the modes screen and telvarctl offer them, and the mode-availability
// bits that tell the device which modes stay selectable on the device itself.
namespace OperatingModes {

struct Mode {
    const char* caption;
    const char* toolTip;
    char letter;
};

// Top to bottom, each beside the availability box of the same index.
inline constexpr std::array<Mode, 8> kModes{{
    {"Dictionary Mode", "Click here to run dictionary mode", 'G'},
    {"Phonetic Mode", "Click here to run phonetic  mode", 'H'},
    {" Reverse Phonetic Mode", "Click here to run reverse phonetic  mode", 'I'},
    {"Touch Mode", "Click here to run  Touch   mode", 'K'},
    {"Energy mode", "Click here to run Energy Mode  \"EM Pump\"", 'K'}, // the device shares touch's letter
    {"White Noise Mode", "Click here to run White Noise Mode", 'O'},
    {"Say Last Words Said", "Click here to hear the last spoken words", 'X'},
    {"Sync mode", "Click here to run SYNC Mode", 'F'},
}};

inline constexpr int kBoxCount = 16;
// Boxes 8-15 stand beside buttons of modes the device does not have yet; they stay unticked.
inline constexpr int kUsableBoxCount = 8;
// The availability value is kept in these two configuration bytes, low byte first.
inline constexpr quint8 kLowConfigByte = 14;
inline constexpr quint8 kHighConfigByte = 15;

using Availability = std::bitset<kBoxCount>;

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

// Writes the availability value as configuration bytes 14 and 15, each write awaited. `setStatus` receives
// "send " + the low byte's number text while the first write is outstanding, then "send". Stops at the
// first write that gets no reply and returns how that wait ended. The caller holds the sequence guard.
QCoro::Task<WaitResult> writeAvailability(DeviceLink& link, quint32 value,
                                          std::function<void(const QString&)> setStatus);

} // namespace OperatingModes

} // namespace telvar
