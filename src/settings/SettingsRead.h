// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"
#include "settings/SettingsReadout.h"

#include <QCoro/QCoroTask>

namespace telvar {

// Read settings: configuration bytes read one at a time with "C", each reply awaited. The SET UP screen
// takes the values that fit its sliders; telvarctl lists every byte.
class SettingsRead : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("reading the settings"); }

    using DeviceSequence::DeviceSequence;

    // Bytes first..last in order. A byte that does not come stops the read: the bytes before it have been
    // reported, the rest are not.
    QCoro::Task<SequenceOutcome> run(int first = 0, int last = SettingsReadout::kLastAddress);

Q_SIGNALS:
    void byteRead(int address, quint8 value);
    // A value that goes onto a slider; bytes without one, and values outside its range, give none.
    void valueRead(const telvar::SliderValue& value);
};

} // namespace telvar
