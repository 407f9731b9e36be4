// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QString>

#include <array>

namespace telvar {

// What became of one sensor reading during a session.
enum class PollOutcome {
    Shown,
    OutsideRange,  // the index names no word (outside 1..2048)
    RecentlyShown, // the recent-index memory holds it
    ScreenHidden,  // the ITC screen was not in sight
};

// One "D" reply of a session: its three readings, the word index the first one names, and what came of it.
struct SessionPoll {
    qint64 ms = 0; // since the question was asked, on the session's own clock
    std::array<int, 3> readings{};
    int index = 0;
    QString word; // the word list's entry for the index; empty when the index names none
    PollOutcome outcome = PollOutcome::Shown;

    bool shown() const { return outcome == PollOutcome::Shown; }
    friend bool operator==(const SessionPoll&, const SessionPoll&) = default;
};

// A word the session accepted into its answer, and when.
struct SessionWord {
    qint64 ms = 0;
    int index = 0;
    QString word;

    friend bool operator==(const SessionWord&, const SessionWord&) = default;
};

} // namespace telvar

Q_DECLARE_METATYPE(telvar::SessionPoll)
Q_DECLARE_METATYPE(telvar::SessionWord)
