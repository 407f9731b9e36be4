// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/SettingsReadout.h"

#include <QWidget>

namespace telvar {

class AutoTuneGroup;
class EnergyRateGroup;
class MaintenanceGroup;
class SensitivityGroup;
class SettingSlider;
class VoiceGroup;

// The "SET UP" screen's content: sensitivity, voice, energy-mode rate, auto-tune and maintenance. It only
// shows and asks; the device sequences read its sliders, answer its requests and fill it through the
// groups' setters.
class SetupScreen : public QWidget {
    Q_OBJECT
public:
    explicit SetupScreen(QWidget* parent = nullptr);

    SensitivityGroup* sensitivity() const { return m_sensitivity; }
    VoiceGroup* voice() const { return m_voice; }
    EnergyRateGroup* energyRate() const { return m_energyRate; }
    AutoTuneGroup* autoTune() const { return m_autoTune; }
    MaintenanceGroup* maintenance() const { return m_maintenance; }

    // A value Read settings found in range: its slider moves, and its box or display follows.
    void apply(const SliderValue& read);
    // Read settings took the device: until it has read a slider's value, that slider counts as unseen and
    // shows nothing, and what would write or play it is disabled.
    void readBegun();
    // Read settings ended, having read every byte or not. A complete read leaves every box showing its
    // slider (also where the device's value did not fit the slider); after a failed one, what it did not
    // reach stays blank and greyed, and the buttons that would write or play a slider the user has not
    // seen stay disabled. Call it once the job has let go of the
    // device, when the busy controls are back.
    void readEnded(bool complete);
    // The saves are enabled as far as the sliders they write are shown; for after a job that moved them.
    void refreshSaves();

Q_SIGNALS:
    void saveSensitivityRequested();
    void testVoiceRequested();
    void saveVoiceRequested();
    void defaultVoiceRequested();
    void saveRateRequested();
    void autoTuneRequested();
    void powerSaveClicked(bool on);
    void firmwareRequested();
    void factoryDefaultsRequested();
    void bootLoaderRequested();
    void amplifierClicked(bool on);

private:
    QList<SettingSlider*> sliders() const;

    SensitivityGroup* m_sensitivity;
    VoiceGroup* m_voice;
    EnergyRateGroup* m_energyRate;
    AutoTuneGroup* m_autoTune;
    MaintenanceGroup* m_maintenance;
};

} // namespace telvar
