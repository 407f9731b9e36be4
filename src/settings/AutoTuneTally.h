// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/ReplyReport.h"

#include <QString>

namespace telvar {

// The gain and offset that auto-tune suggests, already clamped to what the sliders should get.
struct AutoTuneSuggestion {
    int gain;
    int offset;
    friend bool operator==(const AutoTuneSuggestion&, const AutoTuneSuggestion&) = default;

    // The suggestion labels' texts: "Sugested Gain =  8".
    QString gainText() const;
    QString offsetText() const;
};

// One auto-tune run: kPasses samples of the sensor, then a suggestion from the largest, the smallest and
// the mean sample.
class AutoTuneTally {
public:
    static constexpr int kPasses = 100;

    // The sum of the three readings of a "D" reply. Each reading is low + 255 x high, the way the device
    // splits them.
    static int sample(ReplyReport reply);
    // The pass label's text during a run ("Pass #  7") and after it.
    static QString passText(int pass);
    static QString completeText();

    void add(int sample);
    AutoTuneSuggestion suggestion() const;

    int maximum() const { return m_maximum; }
    int minimum() const { return m_minimum; }
    qint64 total() const { return m_total; }

private:
    // Samples of 5 or less are the sensor at rest; they never count as the smallest.
    static constexpr int kRestLevel = 5;

    int m_maximum = 0;
    int m_minimum = 1000;
    qint64 m_total = 0;
};

} // namespace telvar
