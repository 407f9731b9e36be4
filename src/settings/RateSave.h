// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

// "Save Setting" of the energy-mode rate: "B" 12 with the low byte, then "B" 13 with the high byte, each
// reply awaited. The title bar says "send".
class RateSave : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("saving the energy rate"); }

    using DeviceSequence::DeviceSequence;

    QCoro::Task<SequenceOutcome> run(int rate);
};

} // namespace telvar
