// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "vocab/Vocabulary.h"

namespace telvar::cli {

Verb vocabVerb() {
    return {
        QStringLiteral("vocab"),
        QStringLiteral("print the vocabulary: word and code row of every word index"),
        QStringLiteral("Usage: telvarctl vocab [INDEX]\n"
                       "Loads the vocabulary as the window does at start-up (from mainw.txt and mainph.txt,\n"
                       "or from the built-in data, which then writes the word-list files anew) and prints\n"
                       "one line per word index 0-2054, or only INDEX:\n"
                       "  INDEX<TAB>WORD<TAB>C1 C2 ... C10\n"
                       "The ten codes of the row, pads (48) included. Indexes past the word list print an\n"
                       "empty word. Which data was loaded is said on stderr.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("vocab");
            int first = 0;
            int last = Vocabulary::kUploadRows - 1;
            if (arguments.size() > 1)
                co_return context.usageError(verb, QStringLiteral("give at most one index"));
            if (arguments.size() == 1) {
                bool ok = false;
                first = last = arguments.first().toInt(&ok);
                if (!ok || first < 0 || first >= Vocabulary::kUploadRows)
                    co_return context.usageError(verb, QStringLiteral("%1 is not a word index from 0 to %2")
                                                           .arg(arguments.first())
                                                           .arg(Vocabulary::kUploadRows - 1));
            }
            const Vocabulary* loaded = context.loadVocabulary();
            if (!loaded)
                co_return kExitFailure;
            const Vocabulary& vocabulary = *loaded;
            for (int index = first; index <= last; ++index) {
                QStringList codes;
                for (const qint16 code : vocabulary.row(index))
                    codes << QString::number(code);
                const QString word =
                    index < vocabulary.list1().size() ? vocabulary.list1().at(index) : QString();
                context.out() << index << '\t' << word << '\t' << codes.join(QLatin1Char(' ')) << '\n';
            }
            context.out().flush();
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
