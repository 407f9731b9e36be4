#pragma once

#include <QString>

namespace telvar {

// How a wait of a device sequence ended.
enum class WaitResult {
    Ok,        // the reply arrived, or the pause ran its full period
    TimedOut,  // no reply within the time limit
    Unplugged, // the device left (or was never there)
    Cancelled, // the user or the owner cancelled the sequence
};

// A short text for the title bar or stderr: "no reply from the Telvar X", ...
QString describe(WaitResult result);

} // namespace telvar
