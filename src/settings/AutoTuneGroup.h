// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/AutoTuneTally.h"

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QPushButton;

namespace telvar {

class EnergyGauge;

// "Auto Tune": the run's button, its progress and suggestion, the gauge, and "Set when Done", which also
// switches the device's power save.
class AutoTuneGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit AutoTuneGroup(QWidget* parent = nullptr);

    EnergyGauge* gauge() const { return m_gauge; }
    // Whether a finished run moves its suggestion onto the sliders and saves it.
    bool setWhenDone() const;

    // A run: "Start" stays disabled until it ends, so one run cannot start over another.
    void setRunning(bool running);
    void showSample(int pass, int sample);
    // The run is over: the gauge goes grey and its needle stays on the last sample.
    void showSuggestion(const AutoTuneSuggestion& suggestion);
    // Puts the box back to what the device holds (after a power-save write that did not go through).
    void setPowerSave(bool on);

Q_SIGNALS:
    void startRequested();
    // The user ticked or cleared the box; its caption already says the new state.
    void powerSaveClicked(bool on);

private:
    QPushButton* m_start;
    QLabel* m_pass;
    QLabel* m_gain;
    QLabel* m_offset;
    QCheckBox* m_whenDone;
    EnergyGauge* m_gauge;
};

} // namespace telvar
