// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SetupScreen.h"

#include "settings/AutoTuneGroup.h"
#include "settings/EnergyRateGroup.h"
#include "settings/MaintenanceGroup.h"
#include "settings/SensitivityGroup.h"
#include "settings/SettingSlider.h"
#include "settings/VoiceGroup.h"

#include <QGridLayout>

namespace telvar {

SetupScreen::SetupScreen(QWidget* parent)
    : QWidget(parent), m_sensitivity(new SensitivityGroup(this)), m_voice(new VoiceGroup(this)),
      m_energyRate(new EnergyRateGroup(this)), m_autoTune(new AutoTuneGroup(this)),
      m_maintenance(new MaintenanceGroup(this)) {
    setObjectName(QStringLiteral("setupScreen"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_sensitivity, 0, 0, 2, 1);
    grid->addWidget(m_voice, 0, 1);
    grid->addWidget(m_energyRate, 0, 2);
    grid->addWidget(m_autoTune, 1, 1, 1, 2);
    grid->addWidget(m_maintenance, 2, 0, 1, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);

    connect(m_sensitivity, &SensitivityGroup::saveRequested, this, &SetupScreen::saveSensitivityRequested);
    connect(m_voice, &VoiceGroup::testRequested, this, &SetupScreen::testVoiceRequested);
    connect(m_voice, &VoiceGroup::saveRequested, this, &SetupScreen::saveVoiceRequested);
    connect(m_voice, &VoiceGroup::defaultRequested, this, &SetupScreen::defaultVoiceRequested);
    connect(m_energyRate, &EnergyRateGroup::saveRequested, this, &SetupScreen::saveRateRequested);
    connect(m_autoTune, &AutoTuneGroup::startRequested, this, &SetupScreen::autoTuneRequested);
    connect(m_autoTune, &AutoTuneGroup::powerSaveClicked, this, &SetupScreen::powerSaveClicked);
    connect(m_maintenance, &MaintenanceGroup::firmwareRequested, this, &SetupScreen::firmwareRequested);
    connect(m_maintenance, &MaintenanceGroup::factoryDefaultsRequested, this,
            &SetupScreen::factoryDefaultsRequested);
    connect(m_maintenance, &MaintenanceGroup::bootLoaderRequested, this, &SetupScreen::bootLoaderRequested);
    connect(m_maintenance, &MaintenanceGroup::amplifierClicked, this, &SetupScreen::amplifierClicked);
}

void SetupScreen::readBegun() {
    for (SettingSlider* setting : sliders())
        setting->forget();
    m_energyRate->forget();
    refreshSaves();
}

void SetupScreen::readEnded(bool complete) {
    if (complete) {
        for (SettingSlider* setting : sliders())
            setting->showValue();
        m_energyRate->showRate();
    }
    // What a failed read did not reach stays unknown, as it was while the read ran.
    refreshSaves();
}

void SetupScreen::refreshSaves() {
    m_sensitivity->refreshSave();
    m_voice->refreshSave();
    m_energyRate->refreshSave();
}

QList<SettingSlider*> SetupScreen::sliders() const {
    return {m_sensitivity->gain(), m_sensitivity->offset(), m_voice->volume(),
            m_voice->speed(),      m_voice->pitch(),        m_voice->bend()};
}

void SetupScreen::apply(const SliderValue& read) {
    using ConfigurationBytes::Setting;
    switch (read.setting) {
    case Setting::Gain:
        m_sensitivity->gain()->setValue(read.value);
        break;
    case Setting::Offset:
        m_sensitivity->offset()->setValue(read.value);
        break;
    case Setting::Volume:
        m_voice->volume()->setValue(read.value);
        break;
    case Setting::Speed:
        m_voice->speed()->setValue(read.value);
        break;
    case Setting::Pitch:
        m_voice->pitch()->setValue(read.value);
        break;
    case Setting::Bend:
        m_voice->bend()->setValue(read.value);
        break;
    case Setting::Rate:
        m_energyRate->setRate(read.value);
        break;
    }
}

} // namespace telvar
