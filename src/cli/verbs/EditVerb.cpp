// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "editor/Dictionary.h"
#include "editor/EditorFiles.h"
#include "editor/MnemonicConversion.h"
#include "editor/PhoneticCodes.h"
#include "editor/PhraseExpansion.h"
#include "files/FolderLock.h"

namespace telvar::cli {

namespace {

const QString kVerb = QStringLiteral("edit");

void printEntry(CliContext& context, const WorkingWordList& list, qsizetype index) {
    context.out() << index << '\t' << list.words().at(index) << '\t'
                  << CodesToMnemonics(list.phonetics().at(index)) << '\n';
}

enum class Use { Show, Save };

// The working pair, its problems on stderr; nullopt when there is no word file to work on, or when the
// list is to be saved and a working file could not be read: saving would put pads in place of content
// nobody has seen.
std::optional<WorkingWordList> loadWorkingList(CliContext& context, Use use) {
    EditorLoad load = EditorFiles(context.dataDir()).load();
    for (const QString& problem : load.problems)
        context.err() << "telvarctl: " << problem << Qt::endl;
    if (use == Use::Save && !load.unreadable.isEmpty()) {
        context.fail(QStringLiteral("nothing was replaced: a working file is there but could not be read, "
                                    "so it is not written over"));
        return std::nullopt;
    }
    if (load.list.size() == 0 && !load.problems.isEmpty())
        return std::nullopt;
    return std::move(load.list);
}

int list(CliContext& context) {
    // Read under the lock, so the pair is never seen half replaced.
    const FolderLock lock(context.dataDir());
    if (!lock.isLocked())
        return context.fail(lock.error());
    const auto working = loadWorkingList(context, Use::Show);
    if (!working)
        return kExitFailure;
    for (qsizetype i = 0; i < working->size(); ++i)
        printEntry(context, *working, i);
    context.out().flush();
    return kExitOk;
}

int replace(CliContext& context, const QStringList& words) {
    if (words.size() != 3)
        return context.usageError(kVerb, QStringLiteral("replace takes INDEX WORD TEXT"));
    bool ok = false;
    const qsizetype index = words.at(0).toLongLong(&ok);
    if (!ok || index < 0)
        return context.usageError(kVerb, QStringLiteral("%1 is not a word index").arg(words.at(0)));
    // From the read to the save: an edit saved by another program in between would be lost.
    const FolderLock lock(context.dataDir());
    if (!lock.isLocked())
        return context.fail(QStringLiteral("nothing was replaced: %1").arg(lock.error()));
    auto working = loadWorkingList(context, Use::Save);
    if (!working)
        return kExitFailure;
    if (index >= working->size())
        return context.usageError(
            kVerb, QStringLiteral("%1 is past the last word index %2").arg(index).arg(working->size() - 1));
    const std::optional<Dictionary> dictionary = context.readDictionary();
    if (!dictionary)
        return kExitFailure;
    const QByteArray phonetics = ripList(ExpandPhrase(words.at(2), *dictionary));
    const QString problem = working->replace(index, words.at(1), phonetics);
    if (!problem.isEmpty())
        return context.fail(QStringLiteral("nothing was replaced: %1").arg(problem));
    QString error;
    if (!EditorFiles(context.dataDir()).saveEdits(*working, &error))
        return context.fail(
            QStringLiteral("the edits were not saved, the files are as they were: %1").arg(error));
    printEntry(context, *working, index);
    context.out().flush();
    return kExitOk;
}

QCoro::Task<int> transfer(CliContext& context) {
    if (!co_await context.prompter().askYesNo(
            QStringLiteral("This will replace the main word list (mainw.txt, mainph.txt) with the saved "
                           "edits (tempw.txt, tempph.txt), Continue ?")))
        co_return context.fail(QStringLiteral("nothing was transferred"));
    const FolderLock lock(context.dataDir());
    if (!lock.isLocked())
        co_return context.fail(QStringLiteral("nothing was transferred: %1").arg(lock.error()));
    QString error;
    if (!EditorFiles(context.dataDir()).transferEdits(&error))
        co_return context.fail(
            QStringLiteral("the edits were not transferred, the main word list is as it was: %1").arg(error));
    co_return kExitOk;
}

} // namespace

Verb editVerb() {
    return {
        kVerb,
        QStringLiteral("the word editor's working list: list, replace a word, transfer"),
        QStringLiteral(
            "Usage: telvarctl [--dict FILE] edit list | replace INDEX WORD TEXT | transfer\n"
            "Works on the word editor's working files tempw.txt and tempph.txt of the data folder.\n"
            "  list                    prints INDEX<TAB>WORD<TAB>MNEMONICS for every word, all its codes\n"
            "  replace INDEX WORD TEXT gives word INDEX the spelling WORD (upper-cased) and the codes of\n"
            "                          TEXT (expanded as the editor does, see expand), then saves the\n"
            "                          working files; prints the new entry\n"
            "  transfer                after a confirmation (or --yes), copies the working files over\n"
            "                          mainw.txt and mainph.txt, which the program loads at its next start\n"
            "Needs no device.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString action = arguments.isEmpty() ? QString() : arguments.takeFirst();
            if (action == QLatin1String("list") && arguments.isEmpty())
                co_return list(context);
            if (action == QLatin1String("replace"))
                co_return replace(context, arguments);
            if (action == QLatin1String("transfer") && arguments.isEmpty())
                co_return co_await transfer(context);
            co_return context.usageError(kVerb,
                                         QStringLiteral("give list, replace INDEX WORD TEXT or transfer"));
        },
    };
}

} // namespace telvar::cli
