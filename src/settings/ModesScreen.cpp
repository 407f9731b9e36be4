// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ModesScreen.h"

#include "device/DeviceLink.h"
#include "device/Prompter.h"
#include "device/ScreenAction.h"
#include "device/ScreenHost.h"
#include "settings/AvailabilityWrite.h"
#include "settings/ModeCommand.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace telvar {

namespace {
const char* const kFutureCaptions[] = {" Future ", " Future ", " Future ", " Future ",
                                       " Future ", " Future",  "Future",   "Future"};
} // namespace

ModesScreen::ModesScreen(ScreenHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);

    for (int row = 0; row < static_cast<int>(OperatingModes::kModes.size()); ++row) {
        const OperatingModes::Mode& mode = OperatingModes::kModes[row];
        auto* button = new QPushButton(QString::fromLatin1(mode.caption), this);
        button->setObjectName(QStringLiteral("modeButton_%1").arg(row));
        button->setToolTip(QString::fromLatin1(mode.toolTip));
        const char letter = mode.letter;
        connect(button, &QPushButton::clicked, this,
                [this, letter] { runScreenAction(m_host, sendMode(letter)); });
        grid->addWidget(button, row, 0);

        auto* future = new QPushButton(QString::fromLatin1(kFutureCaptions[row]), this);
        future->setObjectName(QStringLiteral("futureButton_%1").arg(row));
        future->setToolTip(QStringLiteral("Click here to run SYNC Mode"));
        future->setEnabled(false);
        grid->addWidget(future, row, 2);
    }

    for (int index = 0; index < OperatingModes::kBoxCount; ++index) {
        auto* box = new QCheckBox(QString::number(index), this);
        box->setObjectName(QStringLiteral("modes_%1").arg(index));
        box->setToolTip(QStringLiteral("Un check to remove this function from the Telvar X"));
        const bool usable = index < OperatingModes::kUsableBoxCount;
        box->setChecked(usable);
        box->setEnabled(usable);
        // clicked, not toggled: only the user's own clicks are sent, after the tick has changed.
        connect(box, &QCheckBox::clicked, this,
                [this, index] { runScreenAction(m_host, sendAvailability(index)); });
        grid->addWidget(box, index % OperatingModes::kUsableBoxCount, usable ? 1 : 3);
        m_boxes[index] = box;
    }

    auto* note = new QLabel(
        QStringLiteral(
            "Un-Check to remove modes from Telvar X - Resetting  the Telvar X  will restore all modes "),
        this);
    note->setWordWrap(true);
    grid->addWidget(note, OperatingModes::kUsableBoxCount, 0, 1, 4);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(OperatingModes::kUsableBoxCount + 1, 1);
}

QCoro::Task<> ModesScreen::sendMode(char letter) {
    ModeCommand job(m_host.link());
    followStatus(job);
    co_await job.run(letter);
}

QCoro::Task<> ModesScreen::sendAvailability(int clickedBox) {
    // The screen may be gone by the time a wait ends, so nothing after the first wait touches it; the
    // host and its link outlive every screen.
    ScreenHost& host = m_host;
    const quint32 value = OperatingModes::availabilityValue(ticked());
    const QPointer<QCheckBox> box = m_boxes[clickedBox];
    co_await host.prompter().inform(QString::number(OperatingModes::lowByte(value)));
    AvailabilityWrite job(host.link());
    QObject::connect(&job, &DeviceSequence::statusChanged, &job,
                     [&host](const QString& text) { host.setStatus(text); });
    const SequenceOutcome outcome = co_await job.run(value);
    // Nothing was sent, so the box goes back to what the device was last told.
    if (outcome.status == SequenceOutcome::Status::Busy && box)
        box->setChecked(!box->isChecked());
}

void ModesScreen::followStatus(DeviceSequence& job) {
    connect(&job, &DeviceSequence::statusChanged, this,
            [this](const QString& text) { m_host.setStatus(text); });
}

OperatingModes::Availability ModesScreen::ticked() const {
    OperatingModes::Availability bits;
    for (int index = 0; index < OperatingModes::kBoxCount; ++index)
        bits[index] = m_boxes[index]->isChecked();
    return bits;
}

} // namespace telvar
