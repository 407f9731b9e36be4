// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace telvar {

// How long a session listens for the answer.
enum class ResponseWindow { Seconds6 = 6, Seconds12 = 12, Seconds24 = 24 };

inline std::chrono::milliseconds duration(ResponseWindow window) {
    return std::chrono::seconds(static_cast<int>(window));
}

} // namespace telvar
