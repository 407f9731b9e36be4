#pragma once

#include "device/DeviceLink.h"
#include "vocab/SequenceOutcome.h"

#include <QObject>

#include <optional>

namespace telvar {

// What the word-list sequences share: the device link, the one-sequence-at-a-time guard and the signals
// a screen or telvarctl shows. A sequence object lives for one run; the screen creates it, connects to
// it and keeps it until the run's task ends, so a closing window never leaves a coroutine pointing at it.
class DeviceSequence : public QObject {
    Q_OBJECT
public:
    explicit DeviceSequence(DeviceLink& link, QObject* parent = nullptr) : QObject(parent), m_link(link) {}

    // The title bar text when another sequence holds the device.
    static QString busyText() { return QStringLiteral("Busy: another Telvar X command is still running"); }

Q_SIGNALS:
    // The title bar (status line) text.
    void statusChanged(const QString& text);
    // Work done of a known total, for a progress bar with Cancel.
    void progressChanged(int done, int total);
    // The user agreed and the device work starts: the moment to hide or clear what the job hides.
    void begun();

protected:
    DeviceLink& link() { return m_link; }

    void setStatus(const QString& text) { Q_EMIT statusChanged(text); }

    // A run that did not complete: the reason goes to the title bar and into the outcome.
    SequenceOutcome fail(const QString& reason) {
        setStatus(reason);
        return SequenceOutcome::failed(reason);
    }

    // The sequence guard, or nothing (with the busy text in the title bar) when another sequence runs.
    std::optional<SequenceGuard> acquire() {
        auto guard = m_link.tryBeginSequence();
        if (!guard)
            setStatus(busyText());
        return guard;
    }

private:
    DeviceLink& m_link;
};

} // namespace telvar
