// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceLink.h"
#include "device/SequenceOutcome.h"

#include <QObject>

#include <optional>

namespace telvar {

// What the sequences of the screens and telvarctl share: the device link, the one place where the device
// is taken (or refused, with the busy text in the title bar) and the signals a screen or telvarctl shows.
// A sequence object lives for one run; the screen creates it, connects to it and keeps it until the run's
// task ends, so a closing window never leaves a coroutine pointing at it.
class DeviceSequence : public QObject {
    Q_OBJECT
public:
    explicit DeviceSequence(DeviceLink& link, QObject* parent = nullptr) : QObject(parent), m_link(link) {}

    // What this sequence does, as a user reads it after "busy: " ("uploading the word list").
    virtual QString jobName() const = 0;

Q_SIGNALS:
    // The title bar (status line) text.
    void statusChanged(const QString& text);
    // Work done of a known total, for a progress bar with Cancel.
    void progressChanged(int done, int total);
    // The device is taken and the work starts: the moment to hide or clear what the job hides.
    void begun();

protected:
    void setStatus(const QString& text) { Q_EMIT statusChanged(text); }

    // A run that did not complete: the reason goes to the title bar and into the outcome.
    SequenceOutcome fail(const QString& reason) {
        reportFailure(reason);
        return SequenceOutcome::failed(reason);
    }
    // The reason in the title bar, and to the link's watchers (the window's status bar).
    void reportFailure(const QString& reason) {
        setStatus(reason);
        m_link.reportFailure(reason);
    }
    const DeviceLink& deviceLink() const { return m_link; }
    // The outcome of a run the device was not free for.
    static SequenceOutcome busy() { return SequenceOutcome::busy(DeviceLink::busyText()); }

    // The device for this run, or nothing (with the busy text in the title bar) while another sequence
    // holds it. Ask the user anything before this: an open box must not keep the device from others.
    std::optional<Sequence> acquire() {
        auto sequence = m_link.begin(DeviceLink::Role::Job, jobName());
        if (!sequence)
            reportFailure(DeviceLink::busyText());
        return sequence;
    }

private:
    DeviceLink& m_link;
};

} // namespace telvar
