// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AutoTuneTally.h"

#include "vocab/NumberText.h"

#include <algorithm>
#include <cmath>

namespace telvar {

namespace {
// A single spike above twice the mean is taken at 70 %, so one bump of the sensor does not decide alone.
constexpr double kSpikeFactor = 0.7;
constexpr double kGainStep = 400.0;
constexpr int kMinimumGain = 2;
constexpr int kMaximumGain = 8;
constexpr int kMinimumOffset = 50;
constexpr int kMaximumOffset = 225;
} // namespace

QString AutoTuneSuggestion::gainText() const {
    return QStringLiteral("Sugested Gain = ") + numberText(gain);
}

QString AutoTuneSuggestion::offsetText() const {
    return QStringLiteral("Sugested Offset = ") + numberText(offset);
}

int AutoTuneTally::sample(ReplyReport reply) {
    return reply[2] + 255 * reply[3] + reply[4] + 255 * reply[5] + reply[6] + 255 * reply[7];
}

QString AutoTuneTally::passText(int pass) {
    return QStringLiteral("Pass # ") + numberText(pass);
}

QString AutoTuneTally::completeText() {
    return QStringLiteral("complete ");
}

void AutoTuneTally::add(int sample) {
    m_maximum = std::max(m_maximum, sample);
    if (sample > kRestLevel && sample < m_minimum)
        m_minimum = sample;
    m_total += sample;
}

AutoTuneSuggestion AutoTuneTally::suggestion() const {
    const double mean = static_cast<double>(m_total) / kPasses;
    double maximum = m_maximum;
    if (maximum > 2 * mean)
        maximum *= kSpikeFactor;
    // Rounded down, also below zero: a maximum under the minimum gives a negative offset, clamped below.
    const int gain = static_cast<int>(std::floor(10 - maximum / kGainStep));
    const int offset = static_cast<int>(std::floor((maximum - m_minimum) / 4));
    return {std::clamp(gain, kMinimumGain, kMaximumGain), std::clamp(offset, kMinimumOffset, kMaximumOffset)};
}

} // namespace telvar
