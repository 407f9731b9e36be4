// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"
#include "settings/Voice.h"

#include <QCoro/QCoroTask>

namespace telvar {

// The voice group's buttons. Nothing is awaited from the device; the configuration writes are paced by
// pauses of the shared pause timer, which they leave at the settings period.
class VoiceSequence : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("sending the voice settings"); }

    using DeviceSequence::DeviceSequence;

    // "Test Voice": the voice passed to the speech chip with "V", then the test phrase ("N" 1, 2, 3).
    // Nothing is stored.
    QCoro::Task<SequenceOutcome> test(VoiceSettings voice);
    // "Save": configuration bytes 2-5, a pause after each. The title bar says "send".
    QCoro::Task<SequenceOutcome> save(VoiceSettings voice);
    // "Default Voice": the factory voice stored (a pause after each write but the last), then played.
    QCoro::Task<SequenceOutcome> restoreDefault();

private:
    static QCoro::Task<WaitResult> play(Sequence& device, VoiceSettings voice, QString& failedStep);
    SequenceOutcome stopped(const QString& what, const QString& step, const WaitResult& result);
};

} // namespace telvar
