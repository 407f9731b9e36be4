// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "vocab/SayWord.h"
#include "vocab/Vocabulary.h"

namespace telvar::cli {

Verb sayVerb() {
    return {
        QStringLiteral("say"),
        QStringLiteral("have the device speak one word of its word memory"),
        QStringLiteral(
            "Usage: telvarctl say INDEX [--unit]\n"
            "Does what \"Say Word\" does: the device speaks word INDEX (0-2048) from its own word\n"
            "memory. Prints the word browser's entry for INDEX and nothing else. With --unit the\n"
            "external speech unit (RLD or MVR) is also sent the command \" AA = \" and the index in\n"
            "five digits, which is shown on stderr. INDEX counts from 0: the Word List screen's\n"
            "number box shows it plus 1 (word 201, PIERCE, shows there as 202).\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("say");
            const bool toUnit = arguments.removeAll(QStringLiteral("--unit")) > 0;
            bool ok = false;
            const int index = arguments.size() == 1 ? arguments.first().toInt(&ok) : -1;
            if (!ok || index < 0 || index > SayWord::kMaxIndex)
                co_return context.usageError(
                    verb, QStringLiteral("give one word index from 0 to %1").arg(SayWord::kMaxIndex));
            const Vocabulary* loaded = context.loadVocabulary();
            if (!loaded)
                co_return kExitFailure;
            const Vocabulary& vocabulary = *loaded;
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            SayWord say(context.link());
            const SequenceOutcome outcome = co_await say.run(index, toUnit);
            if (!outcome.completed())
                co_return exitStatus(context, outcome, {});
            // Shown only once every character of it has gone out: a device that left half way through
            // has not passed the command on.
            if (toUnit)
                context.err() << SayWord::unitCommand(index) << Qt::endl;
            context.out() << (index < vocabulary.list3().size() ? vocabulary.list3().at(index) : QString())
                          << Qt::endl;
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
