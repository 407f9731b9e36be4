// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"
#include "settings/AutoTuneTally.h"

#include <QCoro/QCoroTask>

namespace telvar {

// "Start" of the auto-tune group: kPasses samples of the sensor, one "D" round trip and one pause of the
// shared pause timer each, then a gain and offset suggestion; optionally saved as "Save Setting" saves.
class AutoTune : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("auto-tuning"); }

    using DeviceSequence::DeviceSequence;

    // With `saveWhenDone` the suggestion is stored on the device before it is let go, so no other
    // sequence can come between the run and its save.
    QCoro::Task<SequenceOutcome> run(bool saveWhenDone);

    // True while samples are taken: the part of the run that leaving the screen may cut short.
    bool sampling() const { return m_sampling; }

Q_SIGNALS:
    void sampleTaken(int pass, int sample);
    void suggested(const telvar::AutoTuneSuggestion& suggestion);
    // The suggestion is about to be saved: the moment to move the sliders and show the please-wait frame.
    void saving(const telvar::AutoTuneSuggestion& suggestion);

private:
    bool m_sampling = false;
};

} // namespace telvar
