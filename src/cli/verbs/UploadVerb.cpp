// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "device/Spinner.h"
#include "vocab/WordListUpload.h"

#include <optional>

namespace telvar::cli {

Verb uploadVerb() {
    return {
        QStringLiteral("upload"),
        QStringLiteral("write the word list's codes into the device's word memory"),
        QStringLiteral(
            "Usage: telvarctl upload\n"
            "Does what \"Re-Load Word List\" does: loads the vocabulary as start-up does and writes\n"
            "the first eight codes of code rows 0-2054 into the device's word memory, row i at\n"
            "address 8 i. Asks first (give --yes before the verb to confirm at once). Prints\n"
            "\"Upload Complete\"; a device that stops answering or leaves ends it with status 1\n"
            "and the word it stopped at; the message says which words the device then holds (a\n"
            "word whose data went out is loaded).\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (!arguments.isEmpty())
                co_return context.usageError(QStringLiteral("upload"),
                                             QStringLiteral("unexpected %1").arg(arguments.first()));
            const Vocabulary* loaded = context.loadVocabulary();
            if (!loaded)
                co_return kExitFailure;
            const Vocabulary& vocabulary = *loaded;
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            Spinner spinner;
            WordListUpload upload(context.link(), vocabulary, context.prompter(), spinner);
            std::optional<TerminalProgress> bar(std::in_place, context.err(), QStringLiteral("Loading"));
            showProgress(upload, *bar);
            const SequenceOutcome outcome = co_await upload.run();
            bar.reset();
            const int status = exitStatus(context, outcome, QStringLiteral("the word list was not uploaded"));
            if (outcome.completed())
                context.jobCompleted();
            if (status == kExitOk)
                context.out() << "Upload Complete" << Qt::endl;
            co_return status;
        },
    };
}

} // namespace telvar::cli
