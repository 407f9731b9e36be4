// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "device/Spinner.h"
#include "vocab/WordMemoryClearer.h"
#include "vocab/WordMemoryReader.h"

#include <optional>

namespace telvar::cli {

namespace {

QCoro::Task<SequenceOutcome> read(CliContext& context, bool spoken) {
    Spinner spinner;
    WordMemoryReader reader(context.link(), *context.loadVocabulary(), spinner);
    std::optional<TerminalProgress> bar(std::in_place, context.err(), QStringLiteral("Reading"));
    // A long count takes minutes to read: each entry is shown as soon as it is read.
    QObject::connect(&reader, &WordMemoryReader::lineAdded, &reader, [&context, &bar](const QString& line) {
        bar->hide();
        context.out() << line << Qt::endl;
    });
    showProgress(reader, *bar);
    SequenceOutcome outcome;
    if (spoken)
        outcome = co_await reader.readWordsSpoken();
    else
        outcome = co_await reader.readAllWords();
    bar.reset();
    context.out().flush();
    co_return outcome;
}

} // namespace

Verb wordsVerb() {
    return {
        QStringLiteral("words"),
        QStringLiteral("read or clear the device's record of spoken words"),
        QStringLiteral(
            "Usage: telvarctl words spoken|memory|clear-count|clear-memory\n"
            "  spoken        the words spoken since the count was cleared, newest first, as the\n"
            "                result box shows them after \"Read Words Spoken\"\n"
            "  memory        every stored word, as after \"Read all words in Memory\"\n"
            "  clear-count   sets the spoken-word count to 0 (\"Clear last word\"); prints nothing\n"
            "  clear-memory  erases the stored words (\"Clear Stored memory\"); prints \"Memory Clear\"\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("words");
            const QStringList actions{QStringLiteral("spoken"), QStringLiteral("memory"),
                                      QStringLiteral("clear-count"), QStringLiteral("clear-memory")};
            if (arguments.size() != 1 || !actions.contains(arguments.first()))
                co_return context.usageError(
                    verb, QStringLiteral("say one of %1").arg(actions.join(QStringLiteral(", "))));
            const QString action = arguments.first();
            const bool reading = action == actions.at(0) || action == actions.at(1);
            if (reading && !context.loadVocabulary())
                co_return kExitFailure;
            if (!co_await context.connectDevice())
                co_return kExitFailure;

            SequenceOutcome outcome;
            if (reading) {
                outcome = co_await read(context, action == actions.at(0));
            } else {
                WordMemoryClearer clearer(context.link());
                if (action == actions.at(2)) {
                    outcome = co_await clearer.clearLastWord();
                } else {
                    outcome = co_await clearer.clearStoredMemory();
                    if (outcome.completed())
                        context.out() << "Memory Clear" << Qt::endl;
                }
            }
            co_return exitStatus(context, outcome, {});
        },
    };
}

} // namespace telvar::cli
