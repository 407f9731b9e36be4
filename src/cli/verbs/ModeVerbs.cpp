// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "commandline/OptionParser.h"
#include "settings/AvailabilityWrite.h"
#include "settings/ModeCommand.h"
#include "settings/OperatingModes.h"

namespace telvar::cli {

namespace {

QString modeNames() {
    QStringList names;
    for (const auto& mode : OperatingModes::kModes)
        names << QLatin1String(mode.name);
    return names.join(QStringLiteral(", "));
}

} // namespace

Verb modeVerb() {
    return {
        QStringLiteral("mode"),
        QStringLiteral("switch the device to an operating mode"),
        QStringLiteral(
            "Usage: telvarctl mode NAME\n"
            "Switches the Telvar X to the mode NAME, as the mode buttons do. NAME is one of:\n  ") +
            modeNames() + QStringLiteral("\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("mode");
            if (arguments.size() != 1)
                co_return context.usageError(verb, QStringLiteral("give one mode NAME"));
            const int index = OperatingModes::modeIndex(arguments.first());
            if (index < 0)
                co_return context.usageError(
                    verb,
                    QStringLiteral("%1 is no mode; the modes are %2").arg(arguments.first(), modeNames()));
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            ModeCommand command(context.link());
            const SequenceOutcome outcome =
                co_await command.run(OperatingModes::kModes[static_cast<std::size_t>(index)].letter);
            co_return exitStatus(context, outcome, {});
        },
    };
}

Verb modesVerb() {
    return {
        QStringLiteral("modes"),
        QStringLiteral("choose which modes stay available on the device"),
        QStringLiteral(
            "Usage: telvarctl modes [--off NAME]...\n"
            "Tells the Telvar X which of its modes stay available on the device itself: all eight,\n"
            "except those named with --off. Prints the value sent (0-255). Resetting the device\n"
            "restores all modes. NAME is one of:\n  ") +
            modeNames() + QStringLiteral("\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("modes");
            OptionParser parser;
            parser.addOption(QCommandLineOption(QStringLiteral("off"), QString(), QStringLiteral("NAME")));
            if (const QString error = parser.parse(arguments); !error.isEmpty())
                co_return context.usageError(verb, error);
            if (const QStringList words = parser.positionalArguments(); !words.isEmpty())
                co_return context.usageError(verb, QStringLiteral("unexpected %1").arg(words.constFirst()));
            OperatingModes::Availability ticked;
            for (int box = 0; box < OperatingModes::kUsableBoxCount; ++box)
                ticked.set(static_cast<std::size_t>(box));
            for (const QString& name : parser.values(QStringLiteral("off"))) {
                const int index = OperatingModes::modeIndex(name);
                if (index < 0)
                    co_return context.usageError(
                        verb, QStringLiteral("%1 is no mode; the modes are %2").arg(name, modeNames()));
                ticked.reset(static_cast<std::size_t>(index));
            }
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            const quint32 value = OperatingModes::availabilityValue(ticked);
            AvailabilityWrite write(context.link());
            const SequenceOutcome outcome = co_await write.run(value);
            if (!outcome.completed())
                co_return exitStatus(context, outcome, {});
            context.out() << value << Qt::endl;
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
