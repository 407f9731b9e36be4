// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The speech chip's control codes that this program reads or shows.
namespace telvar::ControlCodes {

enum Code : int {
    kLastPause = 6,
    kStress = 14,
    kVolume = 20,
    kSpeed = 21,
    kPitch = 22,
    kBend = 23,
    kPortControl = 24,
    kPortOut = 25,
    kRepeat = 26,
    kCallPhrase = 28,
    kGotoPhrase = 29,
    kDelay = 30,
    kReset = 31,
};

// The chip takes the byte after one of these as its value, not as a code of its own: pitch 254 after
// \PITCH is no \M2 sound effect.
constexpr bool takesValue(int code) {
    switch (code) {
    case kVolume:
    case kSpeed:
    case kPitch:
    case kBend:
    case kPortControl:
    case kPortOut:
    case kRepeat:
    case kCallPhrase:
    case kGotoPhrase:
    case kDelay:
        return true;
    default:
        return false;
    }
}

} // namespace telvar::ControlCodes
