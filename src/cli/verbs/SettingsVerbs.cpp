// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "cli/verbs/SettingArguments.h"
#include "settings/ConfigurationBytes.h"
#include "settings/EnergyRate.h"
#include "settings/MaintenanceCommands.h"
#include "settings/RateSave.h"
#include "settings/SensitivitySave.h"
#include "settings/SettingsRead.h"
#include "settings/VoiceSequence.h"

#include <array>

namespace telvar::cli {

using ConfigurationBytes::Setting;

Verb settingsVerb() {
    return {
        QStringLiteral("settings"),
        QStringLiteral("print the device's configuration bytes"),
        QStringLiteral("Usage: telvarctl settings\n"
                       "Reads configuration bytes 0-15 of the Telvar X and prints one line each:\n"
                       "  ADDRESS<TAB>NAME<TAB>VALUE\n"
                       "The names are gain offset volume speed pitch bend count-low count-high power-save\n"
                       "- - - rate-low rate-high modes-low modes-high (\"-\" for bytes 9-11).\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (!arguments.isEmpty())
                co_return context.usageError(QStringLiteral("settings"),
                                             QStringLiteral("unexpected %1").arg(arguments.first()));
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            SettingsRead read(context.link());
            QObject::connect(&read, &SettingsRead::byteRead, &read, [&context](int address, quint8 value) {
                context.out() << address << '\t' << ConfigurationBytes::name(address) << '\t' << value
                              << '\n';
            });
            const SequenceOutcome outcome = co_await read.run(0, ConfigurationBytes::kCount - 1);
            context.out().flush();
            co_return exitStatus(context, outcome, {});
        },
    };
}

Verb sensitivityVerb() {
    return {
        QStringLiteral("sensitivity"),
        QStringLiteral("store the sensor's gain and offset"),
        QStringLiteral("Usage: telvarctl sensitivity GAIN OFFSET\n"
                       "Stores GAIN (1-10) and OFFSET (10-255) as \"Save Setting\" of the SET UP screen\n"
                       "does: configuration bytes 0 and 1, one second apart, then the offset again with\n"
                       "\"d\". Takes about two seconds.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("sensitivity");
            if (arguments.size() != 2)
                co_return context.usageError(verb, QStringLiteral("give GAIN and OFFSET"));
            const std::optional<int> gain = parseSetting(arguments.at(0), Setting::Gain);
            if (!gain)
                co_return context.usageError(verb, rangeText(QStringLiteral("GAIN"), Setting::Gain));
            const std::optional<int> offset = parseSetting(arguments.at(1), Setting::Offset);
            if (!offset)
                co_return context.usageError(verb, rangeText(QStringLiteral("OFFSET"), Setting::Offset));
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            SensitivitySave save(context.link());
            const SequenceOutcome outcome = co_await save.run(*gain, *offset);
            co_return exitStatus(context, outcome, {});
        },
    };
}

Verb voiceVerb() {
    return {
        QStringLiteral("voice"),
        QStringLiteral("play, store or restore the device's voice"),
        QStringLiteral("Usage: telvarctl voice test|save VOLUME SPEED PITCH BEND\n"
                       "       telvarctl voice default\n"
                       "  test     plays the voice (\"Test Voice\"); nothing is stored\n"
                       "  save     stores it in configuration bytes 2-5 (\"Save\")\n"
                       "  default  stores and plays the factory voice 127 103 89 5 (\"Default Voice\")\n"
                       "VOLUME and SPEED are 0-127, PITCH 0-254, BEND 0-15.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("voice");
            const QString action = arguments.value(0);
            if (action == QLatin1String("default")) {
                if (arguments.size() != 1)
                    co_return context.usageError(verb, QStringLiteral("voice default takes no numbers"));
            } else if (action == QLatin1String("test") || action == QLatin1String("save")) {
                if (arguments.size() != 5)
                    co_return context.usageError(verb, QStringLiteral("give VOLUME SPEED PITCH BEND"));
            } else {
                co_return context.usageError(verb, QStringLiteral("say test, save or default"));
            }
            VoiceSettings voice{};
            if (action != QLatin1String("default")) {
                const std::array<std::pair<const char*, Setting>, 4> parts{{{"VOLUME", Setting::Volume},
                                                                            {"SPEED", Setting::Speed},
                                                                            {"PITCH", Setting::Pitch},
                                                                            {"BEND", Setting::Bend}}};
                std::array<int, 4> values{};
                for (std::size_t i = 0; i < parts.size(); ++i) {
                    const std::optional<int> value = parseSetting(arguments.at(int(i) + 1), parts[i].second);
                    if (!value)
                        co_return context.usageError(
                            verb, rangeText(QString::fromLatin1(parts[i].first), parts[i].second));
                    values[i] = *value;
                }
                voice = {values[0], values[1], values[2], values[3]};
            }
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            VoiceSequence job(context.link());
            SequenceOutcome outcome;
            if (action == QLatin1String("test"))
                outcome = co_await job.test(voice);
            else if (action == QLatin1String("save"))
                outcome = co_await job.save(voice);
            else
                outcome = co_await job.restoreDefault();
            co_return exitStatus(context, outcome, {});
        },
    };
}

Verb rateVerb() {
    return {
        QStringLiteral("rate"),
        QStringLiteral("print or store the energy mode's rate"),
        QStringLiteral(
            "Usage: telvarctl rate [V]\n"
            "Without V, prints the frequency of the rate stored in configuration bytes 12 and 13\n"
            "(\"250.150 Hz\" for 4). With V (4-1000), stores it as \"Save Setting\" of the Energy\n"
            "Mode Rate group does and prints its frequency.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("rate");
            if (arguments.size() > 1)
                co_return context.usageError(verb, QStringLiteral("give at most one rate V"));
            std::optional<int> rate;
            if (!arguments.isEmpty()) {
                rate = parseSetting(arguments.first(), Setting::Rate);
                if (!rate)
                    co_return context.usageError(verb, rangeText(QStringLiteral("V"), Setting::Rate));
            }
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            if (rate) {
                RateSave save(context.link());
                const SequenceOutcome outcome = co_await save.run(*rate);
                if (!outcome.completed())
                    co_return exitStatus(context, outcome, {});
            } else {
                SettingsRead read(context.link());
                std::array<int, 2> bytes{};
                QObject::connect(&read, &SettingsRead::byteRead, &read, [&bytes](int address, quint8 value) {
                    bytes[address - ConfigurationBytes::kRateLow] = value;
                });
                const SequenceOutcome outcome =
                    co_await read.run(ConfigurationBytes::kRateLow, ConfigurationBytes::kRateHigh);
                if (!outcome.completed())
                    co_return exitStatus(context, outcome, {});
                const int stored = bytes[0] + 256 * bytes[1];
                // A rate the slider cannot show has no frequency worth printing (0 would divide by zero).
                if (!ConfigurationBytes::range(Setting::Rate).contains(stored))
                    co_return context.fail(
                        QStringLiteral("the stored rate %1 lies outside 4-1000").arg(stored));
                rate = stored;
            }
            context.out() << EnergyRate::hzText(*rate) << Qt::endl;
            co_return kExitOk;
        },
    };
}

namespace {

using SwitchCommand = QCoro::Task<SequenceOutcome> (MaintenanceCommands::*)(bool);

QCoro::Task<int> runSwitch(CliContext& context, QStringList arguments, QString name, SwitchCommand command) {
    const std::optional<bool> on = parseSwitch(arguments);
    if (!on)
        co_return context.usageError(name, QStringLiteral("say on or off"));
    if (!co_await context.connectDevice())
        co_return kExitFailure;
    MaintenanceCommands job(context.link(), context.prompter());
    const SequenceOutcome outcome = co_await (job.*command)(*on);
    co_return exitStatus(context, outcome, {});
}

// A verb that switches something on or off with one report.
Verb switchVerb(const QString& name, const QString& summary, const QString& usage, SwitchCommand command) {
    return {name, summary, usage, [name, command](CliContext& context, QStringList arguments) {
                return runSwitch(context, std::move(arguments), name, command);
            }};
}

} // namespace

Verb powerSaveVerb() {
    return switchVerb(QStringLiteral("power-save"), QStringLiteral("switch the device's power save"),
                      QStringLiteral("Usage: telvarctl power-save on|off\n"
                                     "Writes configuration byte 8 (1 on, 0 off), as the auto-tune group's\n"
                                     "check box does.\n"),
                      &MaintenanceCommands::powerSave);
}

Verb ampVerb() {
    return switchVerb(QStringLiteral("amp"), QStringLiteral("switch the device's speaker amplifier"),
                      QStringLiteral("Usage: telvarctl amp on|off\n"
                                     "Switches the speaker amplifier on (\"L\") or off (\"M\").\n"),
                      &MaintenanceCommands::amplifier);
}

} // namespace telvar::cli
