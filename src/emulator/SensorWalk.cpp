// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/SensorWalk.h"

#include <algorithm>

namespace telvar {

namespace {
constexpr int kLongestStep = 60;
constexpr int kShortestRest = 4; // polls on one word; at 200 ms a poll, about a second
constexpr int kLongestRest = 20; // ... to four seconds
constexpr int kNoiseCeiling = 180;
} // namespace

SensorWalk::SensorWalk(quint32 seed) : m_random(seed) {
    m_word = std::uniform_int_distribution<int>(kFirstWord, kLastWord)(m_random);
}

quint32 SensorWalk::seedFor(const QString& serial, quint32 seed) {
    // 32-bit FNV-1a.
    quint32 hash = 2166136261u;
    for (const char byte : serial.toUtf8()) {
        hash ^= static_cast<quint8>(byte);
        hash *= 16777619u;
    }
    return hash ^ seed;
}

std::array<int, 3> SensorWalk::next() {
    if (m_restLeft == 0) {
        const int step = std::uniform_int_distribution<int>(-kLongestStep, kLongestStep)(m_random);
        m_word = std::clamp(m_word + step, kFirstWord, kLastWord);
        m_restLeft = std::uniform_int_distribution<int>(kShortestRest, kLongestRest)(m_random);
    }
    --m_restLeft;
    std::uniform_int_distribution<int> noise(0, kNoiseCeiling);
    return {m_word, noise(m_random), noise(m_random)};
}

} // namespace telvar
