// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// Why a session stopped listening.
enum class SessionEnd {
    WindowEnded,   // its response window ran out
    DeviceGone,    // the device left during the window
    ProgramClosed, // the program closed while it listened
    Interrupted,   // stopped early: telvarctl interrupted, or the program killed before it could say
    // Not a way to stop but what the journal keeps instead of the reason when some of the session's
    // readings could not be written: a row that looks whole must be whole.
    ReadingsMissing,
};

// The words the journal and its exports use for each reason.
QString endText(SessionEnd end);

} // namespace telvar
