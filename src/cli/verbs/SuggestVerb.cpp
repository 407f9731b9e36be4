// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "editor/MnemonicConversion.h"
#include "pronounce/Pronouncer.h"

namespace telvar::cli {

Verb suggestVerb() {
    return {
        QStringLiteral("suggest"),
        QStringLiteral("suggested phonetics for words"),
        QStringLiteral(
            "Usage: telvarctl suggest WORD...\n"
            "Prints WORD, a tab and suggested mnemonics for each WORD, one line each. The sounds come\n"
            "from the CMU pronouncing dictionary (Debian's pocketsphinx-en-us) or, for words it lacks,\n"
            "from espeak-ng; TELVAR_CMUDICT and TELVAR_ESPEAK name others. A word that neither\n"
            "knows (espeak-ng spelling it letter by letter does not count) is reported on stderr and\n"
            "makes the exit status 1; the others are still printed.\n"
            "Needs no device.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (arguments.isEmpty())
                co_return context.usageError(QStringLiteral("suggest"),
                                             QStringLiteral("give one or more WORDs"));
            const auto sources = pronounce::PronouncingSources::fromEnvironment();
            const pronounce::Pronouncer pronouncer(sources);
            if (!pronouncer.hasAnySource()) {
                context.err() << "telvarctl suggest: no pronunciation source. " << sources.missingHint()
                              << "." << Qt::endl;
                co_return kExitFailure;
            }
            int status = kExitOk;
            for (const QString& word : arguments) {
                const auto codes = pronouncer.codes(word);
                if (!codes) {
                    context.err() << "telvarctl suggest: " << word
                                  << ": neither the pronouncing dictionary nor espeak-ng knows it"
                                  << Qt::endl;
                    status = kExitFailure;
                    continue;
                }
                QByteArray codeString;
                for (int code : *codes)
                    codeString.append(static_cast<char>(code));
                context.out() << word << '\t' << CodesToSpacedMnemonics(codeString) << Qt::endl;
            }
            co_return status;
        },
    };
}

} // namespace telvar::cli
