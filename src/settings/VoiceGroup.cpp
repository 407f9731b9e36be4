// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/VoiceGroup.h"

#include "settings/SettingSlider.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QList>
#include <QPushButton>
#include <QVBoxLayout>

namespace telvar {

VoiceGroup::VoiceGroup(QWidget* parent) : QGroupBox(QStringLiteral("Voice"), parent) {
    setObjectName(QStringLiteral("voiceGroup"));
    using ConfigurationBytes::Setting;
    const auto slider = [this](const SettingSlider::Design& design) {
        return new SettingSlider(design, this);
    };
    m_volume =
        slider({QStringLiteral("Volume"), QStringLiteral("Set Volume"), Setting::Volume, Qt::Horizontal, 120,
                QStringLiteral("Set The Volume Using the Slider "), QStringLiteral("volume")});
    m_speed = slider({QStringLiteral("Speed"), QStringLiteral("Set Speed"), Setting::Speed, Qt::Horizontal,
                      114, QStringLiteral("Set The Voice Speed Using the Slider"), QStringLiteral("speed")});
    m_pitch = slider({QStringLiteral("Pitch"), QStringLiteral("Set Pich \" high or low\""), Setting::Pitch,
                      Qt::Horizontal, 89, QStringLiteral("Set The Voice Pitch Using the Slider"),
                      QStringLiteral("pitch")});
    m_bend =
        slider({QStringLiteral("Bend"), QStringLiteral("sets bend of word"), Setting::Bend, Qt::Horizontal, 6,
                QStringLiteral("Set The Voice Bend Using the Slider"), QStringLiteral("bend")});

    auto* column = new QVBoxLayout(this);
    for (SettingSlider* setting : {m_volume, m_speed, m_pitch, m_bend})
        column->addWidget(setting);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const QString& caption, const QString& tip, const QString& name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        buttons->addWidget(b);
        return b;
    };
    m_test = button(QStringLiteral("Test Voice"), QStringLiteral("Load the Voice changes to hear them "),
                    QStringLiteral("testVoiceButton"));
    connect(m_test, &QPushButton::clicked, this, &VoiceGroup::testRequested);
    m_save = button(QStringLiteral("Save"), QStringLiteral("Save the voice changes"),
                    QStringLiteral("saveVoiceButton"));
    connect(m_save, &QPushButton::clicked, this, &VoiceGroup::saveRequested);
    m_default = button(QStringLiteral("Default Voice"), QStringLiteral("Re load Default Voice"),
                       QStringLiteral("defaultVoiceButton"));
    connect(m_default, &QPushButton::clicked, this, &VoiceGroup::defaultRequested);
    column->addLayout(buttons);
    column->addStretch(1);

    for (SettingSlider* setting : {m_volume, m_speed, m_pitch, m_bend})
        connect(setting, &SettingSlider::touched, this, &VoiceGroup::refreshSave);
    refreshSave();
}

void VoiceGroup::refreshSave() {
    const QList<SettingSlider*> sliders{m_volume, m_speed, m_pitch, m_bend};
    const auto shown = [](const SettingSlider* setting) { return setting->isShown(); };
    const bool allShown = std::all_of(sliders.begin(), sliders.end(), shown);
    m_save->setEnabled(allShown);
    m_test->setEnabled(allShown);
    m_default->setEnabled(std::any_of(sliders.begin(), sliders.end(), shown));
}

VoiceSettings VoiceGroup::voice() const {
    return {m_volume->value(), m_speed->value(), m_pitch->value(), m_bend->value()};
}

} // namespace telvar
