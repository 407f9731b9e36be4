// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceSequence.h"

#include <QCoro/QCoroTask>

namespace telvar {

class Prompter;

// The maintenance group's one-report commands, and the power-save switch of the auto-tune group. Only the
// firmware version is awaited. The two that change the device for good ask first, before the device is
// taken, and say "No changes made" when the answer is No.
class MaintenanceCommands : public DeviceSequence {
    Q_OBJECT
public:
    QString jobName() const override { return tr("a maintenance command"); }

    MaintenanceCommands(DeviceLink& link, Prompter& prompter, QObject* parent = nullptr);

    static QString factoryDefaultsQuestion();
    static QString bootLoaderQuestion();

    // "Firmware Version": "Z", its reply becomes the version text.
    QCoro::Task<SequenceOutcome> firmwareVersion();
    // "Factory Defaults": "$" restores the factory voice and gain; "Defaults set" follows.
    QCoro::Task<SequenceOutcome> factoryDefaults();
    // "Boot Loader Mode": "@"; the device then leaves the bus.
    QCoro::Task<SequenceOutcome> bootLoader();
    // The speaker amplifier: "L" on, "M" off.
    QCoro::Task<SequenceOutcome> amplifier(bool on);
    // Power save, configuration byte 8.
    QCoro::Task<SequenceOutcome> powerSave(bool on);

Q_SIGNALS:
    void versionRead(const QString& text);

private:
    QCoro::Task<SequenceOutcome> confirmed(QString question, char letter, QString what, QString doneText);
    QCoro::Task<SequenceOutcome> unanswered(char letter, QString step, QString what);

    Prompter& m_prompter;
};

} // namespace telvar
