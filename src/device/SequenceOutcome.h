// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// How a device sequence of the word-list screen ended, and what to tell the user when it did not complete.
struct SequenceOutcome {
    enum class Status {
        Completed, // ran to its end
        Declined,  // the user answered No: nothing was sent
        Busy,      // another sequence held the device: nothing was sent
        Failed,    // stopped part way (time-out, unplug, cancel) or could not start (a missing file)
    };

    Status status = Status::Completed;
    QString message; // the reason, worded for the title bar, a message box or stderr

    bool completed() const { return status == Status::Completed; }

    static SequenceOutcome done() { return {}; }
    static SequenceOutcome declined() { return {Status::Declined, {}}; }
    static SequenceOutcome busy(QString text) { return {Status::Busy, std::move(text)}; }
    static SequenceOutcome failed(QString text) { return {Status::Failed, std::move(text)}; }
};

} // namespace telvar
