// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <random>

namespace telvar {

// The unscripted sensor: the first reading wanders over the word indexes 1..2048 and rests on a word
// for several polls before it moves on, as a real sensor does; the other two readings are small noise.
// The same seed gives the same readings.
class SensorWalk {
public:
    static constexpr int kFirstWord = 1;
    static constexpr int kLastWord = 2048;
    static constexpr quint32 kDefaultSeed = 1;

    explicit SensorWalk(quint32 seed);

    std::array<int, 3> next();

private:
    std::mt19937 m_random;
    int m_word;
    int m_restLeft = 0;
};

} // namespace telvar
