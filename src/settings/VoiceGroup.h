// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Voice.h"

#include <QGroupBox>

class QPushButton;

namespace telvar {

class SettingSlider;

// "Voice": volume, speed, pitch and bend, and the buttons that play and store them.
class VoiceGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit VoiceGroup(QWidget* parent = nullptr);

    SettingSlider* volume() const { return m_volume; }
    SettingSlider* speed() const { return m_speed; }
    SettingSlider* pitch() const { return m_pitch; }
    SettingSlider* bend() const { return m_bend; }
    VoiceSettings voice() const;
    // "Save" writes all four sliders and "Test Voice" plays them: each is enabled only while all four are
    // shown. "Default Voice" writes fixed values, but only to a device that has answered a read here, or
    // once the user has chosen a voice value: it waits for one slider shown.
    void refreshSave();

Q_SIGNALS:
    void testRequested();
    void saveRequested();
    void defaultRequested();

private:
    SettingSlider* m_volume;
    SettingSlider* m_speed;
    SettingSlider* m_pitch;
    SettingSlider* m_bend;
    QPushButton* m_save = nullptr;
    QPushButton* m_test = nullptr;
    QPushButton* m_default = nullptr;
};

} // namespace telvar
