// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace telvar {

// A scripted sensor: the three readings of each "D" reply, in order, then 0 for ever.
// Written as a comma-separated list of items, each one reading (the other two 0) or three readings parted
// by slashes, optionally repeated: "5,7,1200x100" or "5/40/90x3,7/41/91x3".
class SensorScript {
public:
    using Readings = std::array<int, 3>;

    // The largest reading the device can report: low = v % 255 and high = v / 255 must both fit a byte.
    static constexpr int kMaxValue = 255 * 255 + 254;

    // Parses LIST; on failure returns nothing and puts the reason in `error`.
    static std::optional<SensorScript> parse(const QString& list, QString* error);

    // The next scripted readings; all 0 once the script has run out.
    Readings next();
    bool exhausted() const { return m_run >= m_runs.size(); }

private:
    struct Run {
        Readings values;
        qint64 count;
    };
    std::vector<Run> m_runs;
    std::size_t m_run = 0;
    qint64 m_usedOfRun = 0;
};

} // namespace telvar
