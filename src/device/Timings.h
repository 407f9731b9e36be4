// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

// Every period the protocol and the session use, in one place. Tests shorten the periods through one knob,
// the environment variable TELVAR_TIME_DIVISOR (or setDivisor), while the program keeps the real values.
// Reply time limits are not shortened: they guard against a silent device, not pace the protocol.
namespace telvar::Timings {

using std::chrono::milliseconds;

inline constexpr milliseconds kPollPeriod{200};         // t1
inline constexpr milliseconds kInitialPausePeriod{250}; // Timer3 at start
inline constexpr milliseconds kUploadAddressPause{100}; // after the upload's address report
inline constexpr milliseconds kUploadRowPause{10};      // after each uploaded row
inline constexpr milliseconds kSettingsPause{100};      // voice save, auto-tune
inline constexpr milliseconds kDefaultReplyLimit{2000}; // any reply, unless --timeout says otherwise
// The external unit takes each word at its own pace, about 0.9-1.3 s a word, and the device answers a word
// (and "v", which may need the unit too) only when the unit has taken it. This limit is for a unit or a
// device that has stopped answering, well above the slowest pace. It is measured against the unit's pace,
// so unlike the other reply limits it shortens with the periods.
inline constexpr milliseconds kUnitReplyLimit{10000};
// How the device leaves transfer mode is not known. The virtual device leaves it after this long without
// a character or a reply of its own.
inline constexpr milliseconds kUnitIdle{1000};
// How long the program leaves the device alone after a transfer before it may be sent commands again:
// twice the virtual device's idle spell, for a real device that waits longer.
inline constexpr milliseconds kUnitModeEnd{2000};
inline constexpr milliseconds kAnnounceDelay{50}; // a device found at Connect is announced after this
// How long quitting waits for a cancelled job: long enough for the unit transfer's last step, the unit's
// reply to the current word and the pause that lets the device leave transfer mode.
inline constexpr milliseconds kStopLimit{4000};

// The divisor applied by scaled(); 1 unless a test set it.
int divisor();
void setDivisor(int divisor);

// A protocol period as it runs in this process.
milliseconds scaled(milliseconds real);

} // namespace telvar::Timings
