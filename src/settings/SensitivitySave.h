// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

// "Save Setting" of the sensitivity group: "B" 0 with the gain, "B" 1 with the offset, each followed by a
// one-second wait, then "d" 1 with the offset. Nothing is awaited from the device: the waits pace the
// writes.
class SensitivitySave : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("saving the sensitivity"); }

    using DeviceSequence::DeviceSequence;

    QCoro::Task<SequenceOutcome> run(int gain, int offset);

    // The writes on a device already held (auto-tune saves its suggestion without letting go). On failure
    // `failedStep` names the step that did not go through.
    static QCoro::Task<WaitResult> write(Sequence& device, int gain, int offset, QString& failedStep);
    static QString failureText(const QString& step, const WaitResult& result);
};

} // namespace telvar
