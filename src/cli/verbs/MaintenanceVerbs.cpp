// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "settings/DeviceInformationRead.h"
#include "settings/MaintenanceCommands.h"

namespace telvar::cli {

namespace {

using ConfirmedCommand = QCoro::Task<SequenceOutcome> (MaintenanceCommands::*)();

QCoro::Task<int> runConfirmed(CliContext& context, QStringList arguments, QString name,
                              ConfirmedCommand command) {
    if (!arguments.isEmpty())
        co_return context.usageError(name, QStringLiteral("unexpected %1").arg(arguments.first()));
    if (!co_await context.connectDevice())
        co_return kExitFailure;
    MaintenanceCommands job(context.link(), context.prompter());
    const SequenceOutcome outcome = co_await (job.*command)();
    // "No changes made" has been said already.
    if (outcome.status == SequenceOutcome::Status::Declined)
        co_return kExitFailure;
    co_return exitStatus(context, outcome, {});
}

Verb confirmedVerb(const QString& name, const QString& summary, const QString& usage,
                   ConfirmedCommand command) {
    return {name, summary, usage, [name, command](CliContext& context, QStringList arguments) {
                return runConfirmed(context, std::move(arguments), name, command);
            }};
}

} // namespace

Verb firmwareVerb() {
    return {
        QStringLiteral("firmware"),
        QStringLiteral("print the device's firmware version"),
        QStringLiteral("Usage: telvarctl firmware\n"
                       "Prints the version text that \"Firmware Version\" shows, e.g.\n"
                       "  Firmware version: 1.23A 4-\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (!arguments.isEmpty())
                co_return context.usageError(QStringLiteral("firmware"),
                                             QStringLiteral("unexpected %1").arg(arguments.first()));
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            MaintenanceCommands job(context.link(), context.prompter());
            QObject::connect(&job, &MaintenanceCommands::versionRead, &job,
                             [&context](const QString& text) { context.out() << text << Qt::endl; });
            const SequenceOutcome outcome = co_await job.firmwareVersion();
            co_return exitStatus(context, outcome, {});
        },
    };
}

Verb aboutVerb() {
    return {
        QStringLiteral("about"),
        QStringLiteral("print the About screen's device information"),
        QStringLiteral("Usage: telvarctl about\n"
                       "Prints what the About screen shows: the firmware version, the update hint for the\n"
                       "board revision and the stored gain, offset and voice.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (!arguments.isEmpty())
                co_return context.usageError(QStringLiteral("about"),
                                             QStringLiteral("unexpected %1").arg(arguments.first()));
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            DeviceInformationRead read(context.link());
            const SequenceOutcome outcome = co_await read.run();
            if (!outcome.completed())
                co_return exitStatus(context, outcome, {});
            QString text = read.text();
            context.out() << text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")) << Qt::flush;
            co_return kExitOk;
        },
    };
}

Verb factoryDefaultsVerb() {
    return confirmedVerb(
        QStringLiteral("factory-defaults"), QStringLiteral("restore the factory voice and gain settings"),
        QStringLiteral("Usage: telvarctl factory-defaults\n"
                       "Restores the voice, gain and offset the Telvar X shipped with (\"Factory\n"
                       "Defaults\"). Asks first; give --yes to confirm at once.\n"),
        &MaintenanceCommands::factoryDefaults);
}

Verb bootloaderVerb() {
    return confirmedVerb(
        QStringLiteral("bootloader"), QStringLiteral("restart the device in its boot loader"),
        QStringLiteral("Usage: telvarctl bootloader\n"
                       "Restarts the Telvar X in its boot loader for a firmware update (\"Boot\n"
                       "Loader Mode\"); it then leaves the bus. Asks first; give --yes to\n"
                       "confirm at once.\n"),
        &MaintenanceCommands::bootLoader);
}

} // namespace telvar::cli
