// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

// Every period the protocol and the session use, in one place. Tests shorten the periods through one knob,
// the environment variable TELVAR_TIME_DIVISOR (or setDivisor), while the program keeps the real values.
// Reply time limits are not shortened: they guard against a silent device, not pace the protocol.
namespace telvar::Timings {

using std::chrono::milliseconds;

inline constexpr milliseconds kPollPeriod{200};           // t1
inline constexpr milliseconds kInitialPausePeriod{250};   // Timer3 at start
inline constexpr milliseconds kUploadAddressPause{100};   // after the upload's address report
inline constexpr milliseconds kUploadRowPause{10};        // after each uploaded row
inline constexpr milliseconds kSettingsPause{100};        // voice save, auto-tune
inline constexpr milliseconds kDefaultReplyLimit{2000};   // any reply, unless --timeout says otherwise
inline constexpr milliseconds kUnitWordReplyLimit{15000}; // the external unit's reply after each word
// The device leaves the external-unit transfer mode after this long without a report (its idle second);
// reports after that run as commands.
inline constexpr milliseconds kUnitIdle{1000};
inline constexpr milliseconds kAnnounceDelay{50}; // a device found at Connect is announced after this
inline constexpr milliseconds kStopLimit{1500};   // how long quitting waits for a cancelled job

// The divisor applied by scaled(); 1 unless a test set it.
int divisor();
void setDivisor(int divisor);

// A protocol period as it runs in this process.
milliseconds scaled(milliseconds real);

} // namespace telvar::Timings
