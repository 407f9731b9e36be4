// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/VocabularyLoader.h"

#include "vocab/BackupCopies.h"
#include "vocab/BuiltinVocabulary.h"
#include "files/CappedRead.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <QDir>

#include <algorithm>
#include <array>

namespace telvar {

namespace {

constexpr int kBrowserEntries = 2049; // the word browser shows built-in entries 0..2048

// Writes the built-in data to one pair, both files as one. They may hold the user's work (edits saved in
// the temporary pair but never transferred, a main pair that merely failed to load), so what a file held
// is kept in a backup copy first; when that fails, or when a file exists but cannot be read (a folder, a
// device, no permission, too large) and so cannot be copied, the pair stays as it is. A file that already
// holds the built-in data is not touched at all. False when the pair could not even be read.
bool writePair(const WordListFiles& files, const char* wordsName, const char* codesName,
               const QList<QByteArray>& words, const QList<QByteArray>& codes, VocabularyLoad& load) {
    const std::array<const char*, 2> names{wordsName, codesName};
    const std::array<QByteArray, 2> contents{LineFile::join(words), LineFile::join(codes)};
    std::array<CappedRead, 2> current;
    QStringList unreadable;
    for (int i = 0; i < 2; ++i) {
        current[i] = readCapped(files.path(names[i]), LineFile::kMaxSize);
        if (current[i].status == CappedRead::Status::Unreadable ||
            current[i].status == CappedRead::Status::TooLarge)
            unreadable << current[i].error;
    }
    if (!unreadable.isEmpty()) {
        load.writeErrors.append(unreadable.join(QLatin1Char('\n')));
        return false;
    }
    const QString notReplaced = QStringLiteral("%1 and %2 were not replaced: %3")
                                    .arg(QLatin1String(wordsName), QLatin1String(codesName));
    std::array<bool, 2> changed{};
    for (int i = 0; i < 2; ++i) {
        changed[i] = !current[i].ok() || current[i].data != contents[i];
        if (!changed[i] || !current[i].ok())
            continue;
        QString error;
        const std::optional<QString> copy = BackupCopies(files.path(names[i])).keep(current[i].data, &error);
        if (!copy) {
            load.writeErrors.append(notReplaced.arg(
                QStringLiteral("%1 could not be copied aside (%2)").arg(QLatin1String(names[i]), error)));
            return true;
        }
        load.keptCopies.append(*copy);
    }
    if (!changed[0] && !changed[1])
        return true;
    QString error;
    if (!files.replacePair(wordsName, codesName, contents[0], contents[1], &error)) {
        load.writeErrors.append(notReplaced.arg(error));
        return true;
    }
    for (int i = 0; i < 2; ++i) {
        if (changed[i])
            BackupCopies(files.path(names[i])).prune(contents[i]);
    }
    return true;
}

// The main pair first: when it cannot be read nothing is written, since the next start would fail on it
// all the same and the temporary pair may hold the only other copy of the user's words.
void writeBuiltinFiles(const WordListFiles& files, VocabularyLoad& load) {
    const auto words = WordListFiles::wordLines(load.tables.list1);
    const auto codes = WordListFiles::codeLines(load.tables.codes, WordListFiles::kWrittenRows);
    if (!writePair(files, WordListFiles::kMainWords, WordListFiles::kMainCodes, words, codes, load)) {
        load.writeErrors.last() +=
            QStringLiteral("\nNo word-list file was changed; the built-in words are used for this run.");
        return;
    }
    if (!writePair(files, WordListFiles::kTempWords, WordListFiles::kTempCodes, words, codes, load))
        load.writeErrors.last() +=
            QStringLiteral("\n%1 and %2 were left as they are.")
                .arg(QLatin1String(WordListFiles::kTempWords), QLatin1String(WordListFiles::kTempCodes));
}

} // namespace

QString VocabularyLoad::caption() const {
    return external ? QStringLiteral("External data loaded") : QStringLiteral("Internal data loaded");
}

VocabularyLoad VocabularyLoader::load(const QString& folder) {
    const WordListFiles files(folder);
    VocabularyLoad load;
    // The temporary pair too, since the built-in path below copies what it holds aside. A pair that stays
    // unfinished is reported where it is read or written; the main pair does not depend on it.
    QString ignored;
    files.settlePair(WordListFiles::kTempWords, WordListFiles::kTempCodes, &ignored);
    if (auto tables =
            files.readPair(WordListFiles::kMainWords, WordListFiles::kMainCodes, &load.fileProblem)) {
        load.tables = std::move(*tables);
        load.external = true;
        return load;
    }
    load.tables = builtinTables();
    writeBuiltinFiles(files, load);
    return load;
}

VocabularyTables VocabularyLoader::builtinTables() {
    VocabularyTables tables;
    tables.list1 = builtin::words();
    tables.list3 = tables.list1.mid(0, kBrowserEntries);
    const auto& rows = builtin::codeRows();
    std::copy(rows.begin(), rows.end(), tables.codes.begin());
    return tables;
}

std::optional<VocabularyTables> VocabularyLoader::loadEdits(const QString& folder, QString* error) {
    QString reason;
    auto tables =
        WordListFiles(folder).readPair(WordListFiles::kTempWords, WordListFiles::kTempCodes, &reason);
    if (!tables && error)
        *error = QStringLiteral("The edited word files could not be transferred, nothing was changed.\n%1")
                     .arg(reason);
    return tables;
}

} // namespace telvar
