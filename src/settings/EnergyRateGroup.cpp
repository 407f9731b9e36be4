// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/EnergyRateGroup.h"

#include "settings/ConfigurationBytes.h"
#include "settings/EnergyRate.h"
#include "settings/ValueLook.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace telvar {

EnergyRateGroup::EnergyRateGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("Energy Mode Rate"), parent), m_slider(new QSlider(Qt::Horizontal, this)),
      m_display(new QLineEdit(this)) {
    setObjectName(QStringLiteral("energyRateGroup"));
    const auto range = ConfigurationBytes::range(ConfigurationBytes::Setting::Rate);
    m_slider->setObjectName(QStringLiteral("rateSlider"));
    m_slider->setRange(range.minimum, range.maximum);
    m_slider->setValue(7);
    connect(m_slider, &QSlider::valueChanged, this,
            [this](int value) { m_display->setText(EnergyRate::hzText(value)); });
    connect(m_slider, &QSlider::actionTriggered, this, [this] {
        m_display->setText(EnergyRate::hzText(m_slider->sliderPosition()));
        m_shown = true;
        lookUnknown(m_slider, false);
        refreshSave();
    });

    m_display->setObjectName(QStringLiteral("rateDisplay"));
    m_display->setToolTip(QStringLiteral("Change the Hz of the Energy Mode Use The Slider "));
    lookReadOnly(m_display);
    m_display->setAlignment(Qt::AlignCenter);

    m_save = new QPushButton(QStringLiteral("Save Setting"), this);
    m_save->setObjectName(QStringLiteral("saveRateButton"));
    m_save->setToolTip(QStringLiteral("Load the Current Hz Setting for the energy mode"));
    connect(m_save, &QPushButton::clicked, this, &EnergyRateGroup::saveRequested);
    forget();
    refreshSave();

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_slider);
    column->addWidget(m_display);
    column->addWidget(m_save);
    column->addStretch(1);
}

int EnergyRateGroup::rate() const {
    return m_slider->value();
}

void EnergyRateGroup::setRate(int rate) {
    m_slider->setValue(rate);
    showRate();
}

void EnergyRateGroup::showRate() {
    m_display->setText(EnergyRate::hzText(m_slider->value()));
    m_shown = true;
    lookUnknown(m_slider, false);
}

void EnergyRateGroup::forget() {
    m_shown = false;
    m_display->clear();
    lookUnknown(m_slider, true);
}

void EnergyRateGroup::refreshSave() {
    m_save->setEnabled(m_shown);
}

} // namespace telvar
