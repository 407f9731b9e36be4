// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/MaintenanceGroup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace telvar {

namespace {
QString amplifierCaption(bool on) {
    return on ? QStringLiteral("Amp ON") : QStringLiteral("Amp OFF");
}
} // namespace

// The controls are made in the order they stand on the screen, which is the order Tab visits them.
MaintenanceGroup::MaintenanceGroup(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("maintenanceGroup"));
    auto* grid = new QGridLayout(this);
    const auto button = [this, grid](const QString& caption, const QString& tip, const QString& name,
                                     int column) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        grid->addWidget(b, 0, column);
        return b;
    };
    connect(button(QStringLiteral("Firmware Version"),
                   QStringLiteral("Click here to see the Firmware version "),
                   QStringLiteral("firmwareButton"), 0),
            &QPushButton::clicked, this, &MaintenanceGroup::firmwareRequested);
    connect(button(QStringLiteral("Factory Defaults"),
                   QStringLiteral("Click here to Restore Factory Voice and Gain Settings"),
                   QStringLiteral("factoryDefaultsButton"), 1),
            &QPushButton::clicked, this, &MaintenanceGroup::factoryDefaultsRequested);
    connect(button(QStringLiteral("Boot Loader Mode"),
                   QStringLiteral("Disconnect Telvar X from Software and start Bootloader Mode"),
                   QStringLiteral("bootLoaderButton"), 2),
            &QPushButton::clicked, this, &MaintenanceGroup::bootLoaderRequested);

    m_amplifier = new QCheckBox(amplifierCaption(false), this);
    m_amplifier->setObjectName(QStringLiteral("amplifierBox"));
    m_amplifier->setToolTip(QStringLiteral("Click Here to turn ON or OFF the Telvar X Speaker"));
    connect(m_amplifier, &QCheckBox::clicked, this, [this](bool on) {
        m_amplifier->setText(amplifierCaption(on));
        Q_EMIT amplifierClicked(on);
    });
    grid->addWidget(m_amplifier, 0, 3);

    m_information = new QLineEdit(this);
    m_information->setObjectName(QStringLiteral("informationWindow"));
    m_information->setToolTip(QStringLiteral("Information window shows  Telvar X  information "));
    m_information->setReadOnly(true);
    grid->addWidget(m_information, 1, 0, 1, 4);
}

void MaintenanceGroup::setInformation(const QString& text) {
    m_information->setText(text);
}

void MaintenanceGroup::setAmplifier(bool on) {
    m_amplifier->setChecked(on);
    m_amplifier->setText(amplifierCaption(on));
}

} // namespace telvar
