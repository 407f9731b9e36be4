// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

// Tells the device which of its modes stay available on the device itself: the availability value as
// configuration bytes 14 (low) and 15 (high), each write awaited. The title bar shows "send " + the low
// byte's number text while the first write is outstanding, then "send".
class AvailabilityWrite : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("saving the mode availability"); }

    using DeviceSequence::DeviceSequence;

    QCoro::Task<SequenceOutcome> run(quint32 value);
};

} // namespace telvar
