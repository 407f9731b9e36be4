// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "editor/Dictionary.h"
#include "editor/PhraseExpansion.h"

namespace telvar::cli {

Verb expandVerb() {
    return {
        QStringLiteral("expand"),
        QStringLiteral("the mnemonic text the word editor makes of typed text"),
        QStringLiteral(
            "Usage: telvarctl [--dict FILE] expand TEXT\n"
            "Prints on one line what the word editor speaks for TEXT before it turns it into codes:\n"
            "words replaced by their entries in the dictionary's [Words] section, two blanks by\n"
            "' \\P6', three or more by ' \\P4 \\P1', each comma by ' \\P2'. The dictionary is\n"
            "DozudiZEzuve.Dic in the data folder unless --dict names another. Needs no device.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (arguments.size() != 1)
                co_return context.usageError(QStringLiteral("expand"), QStringLiteral("give one TEXT"));
            const std::optional<Dictionary> dictionary = context.readDictionary();
            if (!dictionary)
                co_return kExitFailure;
            context.out() << ExpandPhrase(arguments.first(), *dictionary) << Qt::endl;
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
