// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "cli/verbs/ByteArguments.h"
#include "editor/MnemonicConversion.h"

namespace telvar::cli {

Verb mnemonicsVerb() {
    return {
        QStringLiteral("mnemonics"),
        QStringLiteral("the mnemonic text of SpeakJet codes"),
        QStringLiteral("Usage: telvarctl mnemonics CODE...\n"
                       "Prints the mnemonic text of the codes (0-255); codes without a mnemonic show\n"
                       "nothing. Needs no device.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            QString bad;
            const auto codes = parseBytes(arguments, &bad);
            if (!codes)
                co_return context.usageError(QStringLiteral("mnemonics"),
                                             QStringLiteral("%1 is not a code from 0 to 255").arg(bad));
            const QByteArray codeString(reinterpret_cast<const char*>(codes->data()),
                                        static_cast<qsizetype>(codes->size()));
            context.out() << CodesToMnemonics(codeString) << Qt::endl;
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
