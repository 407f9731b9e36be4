// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

// A mode button: one command letter, no reply. Only the letter changes in the output buffer; the device
// ignores the argument bytes the last command left there.
class ModeCommand : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("switching the operating mode"); }

    using DeviceSequence::DeviceSequence;

    QCoro::Task<SequenceOutcome> run(char letter);
};

} // namespace telvar
