// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/MaintenanceCommands.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "device/Prompter.h"
#include "settings/ConfigurationBytes.h"
#include "settings/FirmwareVersion.h"

namespace telvar {

MaintenanceCommands::MaintenanceCommands(DeviceLink& link, Prompter& prompter, QObject* parent)
    : DeviceSequence(link, parent), m_prompter(prompter) {}

QString MaintenanceCommands::factoryDefaultsQuestion() {
    return QStringLiteral("This will reset your Telvar X to settings when it shipped");
}

QString MaintenanceCommands::bootLoaderQuestion() {
    return QStringLiteral("This will Start the Telvar X in BootLoader Mode ");
}

QCoro::Task<SequenceOutcome> MaintenanceCommands::firmwareVersion() {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    const WaitResult result = co_await device->request(Command::FirmwareVersion);
    if (!result.ok())
        co_return fail(QStringLiteral("Firmware version not read at %1: %2")
                           .arg(deviceStep(Command::FirmwareVersion), describe(result)));
    Q_EMIT versionRead(FirmwareVersion::text(ReplyReport(device->input())));
    co_return SequenceOutcome::done();
}

QCoro::Task<SequenceOutcome> MaintenanceCommands::factoryDefaults() {
    return confirmed(factoryDefaultsQuestion(), Command::FactoryVoice,
                     QStringLiteral("Factory defaults not set"), QStringLiteral("Defaults set"));
}

QCoro::Task<SequenceOutcome> MaintenanceCommands::bootLoader() {
    return confirmed(bootLoaderQuestion(), Command::BootLoader, QStringLiteral("Boot loader not started"),
                     {});
}

QCoro::Task<SequenceOutcome> MaintenanceCommands::confirmed(QString question, char letter, QString what,
                                                            QString doneText) {
    if (!co_await m_prompter.askYesNo(question)) {
        co_await m_prompter.inform(QStringLiteral("No changes made"));
        co_return SequenceOutcome::declined();
    }
    const SequenceOutcome outcome = co_await unanswered(letter, deviceStep(letter), what);
    // Told only once the device is free again, and only when the report went out.
    if (outcome.completed() && !doneText.isEmpty())
        co_await m_prompter.inform(doneText);
    co_return outcome;
}

QCoro::Task<SequenceOutcome> MaintenanceCommands::amplifier(bool on) {
    const char letter = on ? Command::AmplifierOn : Command::AmplifierOff;
    return unanswered(letter, deviceStep(letter), QStringLiteral("Amplifier not switched"));
}

QCoro::Task<SequenceOutcome> MaintenanceCommands::powerSave(bool on) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    device->clearDataread();
    const WaitResult result = co_await device->command(
        Command::WriteConfig, static_cast<quint8>(ConfigurationBytes::kPowerSave), on ? 1 : 0);
    if (!result.ok())
        co_return fail(
            QStringLiteral("Power save not switched at %1: %2")
                .arg(deviceStep(Command::WriteConfig, ConfigurationBytes::kPowerSave), describe(result)));
    co_return SequenceOutcome::done();
}

QCoro::Task<SequenceOutcome> MaintenanceCommands::unanswered(char letter, QString step, QString what) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    device->clearDataread();
    const WaitResult result = co_await device->command(letter);
    if (!result.ok())
        co_return fail(QStringLiteral("%1 at %2: %3").arg(what, step, describe(result)));
    co_return SequenceOutcome::done();
}

} // namespace telvar
