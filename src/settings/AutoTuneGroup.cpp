// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AutoTuneGroup.h"

#include "settings/EnergyGauge.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace telvar {

namespace {
QString powerSaveCaption(bool on) {
    return on ? QStringLiteral("Power Save On") : QStringLiteral("Power Save Off");
}
} // namespace

AutoTuneGroup::AutoTuneGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("Auto Tune"), parent), m_start(new QPushButton(QStringLiteral("Start"), this)),
      m_pass(new QLabel(QStringLiteral("Pass # "), this)),
      m_gain(new QLabel(QStringLiteral("Sugested Gain ="), this)),
      m_offset(new QLabel(QStringLiteral("Sugested Offset ="), this)),
      m_whenDone(new QCheckBox(QStringLiteral("Set when Done"), this)), m_gauge(new EnergyGauge(this)) {
    setObjectName(QStringLiteral("autoTuneGroup"));
    m_start->setObjectName(QStringLiteral("autoTuneStartButton"));
    m_start->setToolTip(QStringLiteral("Suggest a Gain Setting"));
    connect(m_start, &QPushButton::clicked, this, &AutoTuneGroup::startRequested);
    m_pass->setObjectName(QStringLiteral("passLabel"));
    m_gain->setObjectName(QStringLiteral("suggestedGainLabel"));
    m_offset->setObjectName(QStringLiteral("suggestedOffsetLabel"));

    m_whenDone->setObjectName(QStringLiteral("setWhenDoneBox"));
    m_whenDone->setChecked(true);
    // clicked, not toggled: only the user's own clicks write power save.
    connect(m_whenDone, &QCheckBox::clicked, this, [this](bool on) {
        m_whenDone->setText(powerSaveCaption(on));
        Q_EMIT powerSaveClicked(on);
    });

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_start, 0, 0);
    grid->addWidget(m_pass, 0, 1);
    grid->addWidget(m_whenDone, 0, 2);
    grid->addWidget(m_gain, 1, 0, 1, 2);
    grid->addWidget(m_offset, 1, 2);
    grid->addWidget(m_gauge, 2, 0, 1, 3);
    grid->setRowStretch(2, 1);
}

bool AutoTuneGroup::setWhenDone() const {
    return m_whenDone->isChecked();
}

void AutoTuneGroup::setRunning(bool running) {
    m_start->setEnabled(!running);
    if (!running)
        m_gauge->setSampling(false);
}

void AutoTuneGroup::showSample(int pass, int sample) {
    m_gauge->setSampling(true);
    m_gauge->setSample(sample);
    m_pass->setText(AutoTuneTally::passText(pass));
}

void AutoTuneGroup::showSuggestion(const AutoTuneSuggestion& suggestion) {
    m_pass->setText(AutoTuneTally::completeText());
    m_gauge->setSampling(false);
    m_gain->setText(suggestion.gainText());
    m_offset->setText(suggestion.offsetText());
}

void AutoTuneGroup::setPowerSave(bool on) {
    m_whenDone->setChecked(on);
    m_whenDone->setText(powerSaveCaption(on));
}

} // namespace telvar
