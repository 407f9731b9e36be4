// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

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
    // What --sensor random:SEED adds to a device's own seed when it names none.
    static constexpr quint32 kDefaultSeed = 0;

    explicit SensorWalk(quint32 seed);

    // A device's walk: the hash of its serial, so that two devices asked together wander apart, mixed with
    // the seed the user chose. A stable hash of our own, since the same serial must wander alike on every
    // run and every build.
    static quint32 seedFor(const QString& serial, quint32 seed);

    std::array<int, 3> next();

private:
    std::mt19937 m_random;
    int m_word;
    int m_restLeft = 0;
};

} // namespace telvar
