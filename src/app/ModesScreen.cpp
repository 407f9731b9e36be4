#include "app/ModesScreen.h"

#include "app/Prompter.h"
#include "app/ScreenHost.h"
#include "device/DeviceLink.h"
#include "vocab/DeviceSequence.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
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
        connect(button, &QPushButton::clicked, this, [this, letter] { sendMode(letter); });
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
        connect(box, &QCheckBox::clicked, this, [this, index] { sendAvailability(index); });
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

void ModesScreen::sendMode(char letter) {
    DeviceLink& link = m_host.link();
    const auto guard = link.tryBeginSequence();
    if (!guard) {
        m_host.setStatus(DeviceSequence::busyText());
        return;
    }
    // Only the letter changes: the device ignores the argument bytes left over from the last command.
    link.clearDataread();
    link.sendCommand(letter);
}

QCoro::Task<> ModesScreen::sendAvailability(int clickedBox) {
    DeviceLink& link = m_host.link();
    auto guard = link.tryBeginSequence();
    if (!guard) {
        // Nothing was sent, so the box goes back to what the device was last told.
        m_boxes[clickedBox]->setChecked(!m_boxes[clickedBox]->isChecked());
        m_host.setStatus(DeviceSequence::busyText());
        co_return;
    }
    // The screen may be gone by the time a wait ends, so nothing after the first wait touches it; the
    // host and its link outlive every screen.
    ScreenHost& host = m_host;
    const quint32 value = OperatingModes::availabilityValue(ticked());
    co_await host.prompter().inform(QString::number(OperatingModes::lowByte(value)));
    const WaitResult result = co_await OperatingModes::writeAvailability(
        link, value, [&host](const QString& text) { host.setStatus(text); });
    if (result != WaitResult::Ok)
        host.setStatus(QStringLiteral("Modes not saved: %1").arg(describe(result)));
}

OperatingModes::Availability ModesScreen::ticked() const {
    OperatingModes::Availability bits;
    for (int index = 0; index < OperatingModes::kBoxCount; ++index)
        bits[index] = m_boxes[index]->isChecked();
    return bits;
}

} // namespace telvar
