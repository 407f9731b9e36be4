// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "editor/MnemonicConversion.h"

namespace telvar::cli {

Verb codesVerb() {
    return {
        QStringLiteral("codes"),
        QStringLiteral("the SpeakJet codes of mnemonic text"),
        QStringLiteral(
            "Usage: telvarctl codes TEXT\n"
            "Prints the codes of the mnemonic TEXT (for example '\\HE \\EH \\LO \\OW') as decimal\n"
            "numbers separated by blanks, on one line. Needs no device.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (arguments.size() != 1)
                co_return context.usageError(QStringLiteral("codes"), QStringLiteral("give one TEXT"));
            QStringList numbers;
            for (const char code : MnemonicsToCodes(arguments.first()))
                numbers << QString::number(static_cast<quint8>(code));
            context.out() << numbers.join(QLatin1Char(' ')) << Qt::endl;
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
