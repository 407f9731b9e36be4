// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SensitivityGroup.h"

#include "settings/SettingSlider.h"

#include <QEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace telvar {

namespace {
const QString kCaptionTip = QStringLiteral("Used to increase the sensitivity of the QN");
const QString kRemember = QStringLiteral("\"Remeber to save when done\"");
} // namespace

SensitivityGroup::SensitivityGroup(QWidget* parent) : QGroupBox(QStringLiteral("Sensitivity"), parent) {
    setObjectName(QStringLiteral("sensitivityGroup"));
    using ConfigurationBytes::Setting;
    m_gain = new SettingSlider({QStringLiteral("GAIN"), kCaptionTip, Setting::Gain, Qt::Vertical, 1,
                                QStringLiteral("Change the gain by using the Slider ") + kRemember,
                                QStringLiteral("gain")},
                               this);
    m_offset = new SettingSlider({QStringLiteral("OFFSET"), kCaptionTip, Setting::Offset, Qt::Vertical, 50,
                                  QStringLiteral("Change the OFFSET by using the Slider ") + kRemember +
                                      QStringLiteral(" Range 1 to 255"),
                                  QStringLiteral("offset")},
                                 this);
    m_offset->box()->installEventFilter(this);

    m_save = new QPushButton(QStringLiteral("Save Setting"), this);
    m_save->setObjectName(QStringLiteral("saveSensitivityButton"));
    m_save->setToolTip(QStringLiteral("Load the Current Gain Setting"));
    connect(m_save, &QPushButton::clicked, this, &SensitivityGroup::saveRequested);
    for (SettingSlider* setting : {m_gain, m_offset})
        connect(setting, &SettingSlider::touched, this, &SensitivityGroup::refreshSave);
    refreshSave();

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_gain, 0, 0);
    grid->addWidget(m_offset, 0, 1);
    grid->addWidget(m_save, 1, 0, 1, 2);
    grid->setRowStretch(0, 1);
}

void SensitivityGroup::refreshSave() {
    m_save->setEnabled(m_gain->isShown() && m_offset->isShown());
}

bool SensitivityGroup::eventFilter(QObject* watched, QEvent* event) {
    // Emptying the box touches neither the slider nor the device; the next slider move fills it again.
    if (watched == m_offset->box() && event->type() == QEvent::MouseButtonDblClick) {
        m_offset->box()->clear();
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}

} // namespace telvar
