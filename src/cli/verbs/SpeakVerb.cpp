// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/SequenceRun.h"
#include "editor/Dictionary.h"
#include "editor/PhoneticCodes.h"
#include "editor/PhraseExpansion.h"
#include "editor/SendCodes.h"

namespace telvar::cli {

Verb speakVerb() {
    return {
        QStringLiteral("speak"),
        QStringLiteral("have the device speak typed text, as the word editor's \"Say \" does"),
        QStringLiteral(
            "Usage: telvarctl [--dict FILE] speak TEXT\n"
            "Expands TEXT as 'telvarctl expand' shows it, turns it into SpeakJet codes and sends\n"
            "them to the device one \"V\" report a code, after the reset code 31. Prints nothing;\n"
            "exits with 1 when no Telvar X is connected or it is lost part way.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (arguments.size() != 1)
                co_return context.usageError(QStringLiteral("speak"), QStringLiteral("give one TEXT"));
            const std::optional<Dictionary> dictionary = context.readDictionary();
            if (!dictionary)
                co_return kExitFailure;
            const QByteArray codes = SayThisAllophoneList(ExpandPhrase(arguments.first(), *dictionary));
            if (!co_await context.connectDevice())
                co_return kExitFailure;
            SendCodes job(context.link());
            co_return exitStatus(context, co_await job.run(codes), {});
        },
    };
}

} // namespace telvar::cli
