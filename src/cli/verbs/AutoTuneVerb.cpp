// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "commandline/OptionParser.h"
#include "settings/AutoTune.h"

#include <optional>

namespace telvar::cli {

Verb autotuneVerb() {
    return {
        QStringLiteral("autotune"),
        QStringLiteral("sample the sensor and suggest a gain and offset"),
        QStringLiteral("Usage: telvarctl autotune [--set]\n"
                       "Samples the sensor 100 times, as \"Start\" of the Auto Tune group does (about ten\n"
                       "seconds), and prints the suggestion as the group's two labels show it:\n"
                       "  Sugested Gain =  7\n"
                       "  Sugested Offset =  50\n"
                       "With --set the suggestion is stored as the sensitivity (\"Set when Done\").\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("autotune");
            OptionParser parser;
            parser.addOption(QCommandLineOption(QStringLiteral("set")));
            if (const QString error = parser.parse(arguments); !error.isEmpty())
                co_return context.usageError(verb, error);
            if (const QStringList words = parser.positionalArguments(); !words.isEmpty())
                co_return context.usageError(verb, QStringLiteral("unexpected %1").arg(words.constFirst()));
            if (!co_await context.connectDevice())
                co_return kExitFailure;

            AutoTune tune(context.link());
            std::optional<TerminalProgress> bar(std::in_place, context.err(), QStringLiteral("Sampling"));
            showProgress(tune, *bar);
            std::optional<AutoTuneSuggestion> suggestion;
            QObject::connect(&tune, &AutoTune::suggested, &tune, [&](const AutoTuneSuggestion& made) {
                suggestion = made;
                bar.reset();
            });
            const SequenceOutcome outcome = co_await tune.run(parser.isSet(QStringLiteral("set")));
            bar.reset();
            // The suggestion stands even when saving it failed; the failure decides the status.
            if (suggestion)
                context.out() << suggestion->gainText() << '\n' << suggestion->offsetText() << Qt::endl;
            co_return exitStatus(context, outcome, {});
        },
    };
}

} // namespace telvar::cli
