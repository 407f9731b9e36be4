// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "vocab/UnitTransfer.h"

#include <optional>

namespace telvar::cli {

Verb sendToUnitVerb() {
    return {
        QStringLiteral("send-to-unit"),
        QStringLiteral("send the word list through the device to the external speech unit"),
        QStringLiteral(
            "Usage: telvarctl send-to-unit\n"
            "Does what \"Send Word List To RLD \" does: every word of mainw.txt in the data folder\n"
            "goes to the external speech unit (RLD or MVR) as ten characters, until the file ends\n"
            "or the unit takes no more. Asks first (give --yes before the verb to confirm at once).\n"
            "The unit takes about a second a word; a unit that has not answered a word after 10\n"
            "seconds (or --timeout, when longer) stops the transfer with status 1, naming the word.\n"
            "Prints \"Upload complete\"; a missing mainw.txt sends nothing and exits with status 1.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (!arguments.isEmpty())
                co_return context.usageError(QStringLiteral("send-to-unit"),
                                             QStringLiteral("unexpected %1").arg(arguments.first()));
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            UnitTransfer transfer(context.link(), context.prompter(), context.dataDir());
            std::optional<TerminalProgress> bar(std::in_place, context.err(), QStringLiteral("Sending"));
            showProgress(transfer, *bar);
            const SequenceOutcome outcome = co_await transfer.run();
            bar.reset();
            const int status = exitStatus(context, outcome, QStringLiteral("the word list was not sent"));
            if (outcome.completed())
                context.jobCompleted();
            if (status == kExitOk)
                context.out() << "Upload complete" << Qt::endl;
            co_return status;
        },
    };
}

} // namespace telvar::cli
