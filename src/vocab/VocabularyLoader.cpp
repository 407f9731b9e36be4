#include "vocab/VocabularyLoader.h"

#include "vocab/BackupCopies.h"
#include "vocab/BuiltinVocabulary.h"
#include "vocab/CappedRead.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <QDir>

#include <algorithm>

namespace telvar {

namespace {

constexpr int kBrowserEntries = 2049; // the word browser shows built-in entries 0..2048

// The built-in data replaces files that may hold the user's work (edits saved in the temporary pair but
// never transferred, a main pair that merely failed to load), so what a file held is kept in a backup
// copy first; when that fails the file is left as it is. A file that already holds the built-in data is
// not touched at all.
void replaceKeepingCopy(const QString& path, const CappedRead& current, const QList<QByteArray>& lines,
                        VocabularyLoad& load) {
    const QByteArray content = LineFile::join(lines);
    if (current.ok() && current.data == content)
        return;
    const BackupCopies copies(path);
    if (current.ok()) {
        QString error;
        const std::optional<QString> copy = copies.keep(current.data, &error);
        if (!copy) {
            load.writeErrors.append(QStringLiteral("%1: not replaced, it could not be copied aside (%2)")
                                        .arg(QDir::toNativeSeparators(path), error));
            return;
        }
        load.keptCopies.append(*copy);
    }
    QString error;
    if (!LineFile::write(path, lines, &error)) {
        load.writeErrors.append(error);
        return;
    }
    copies.prune(content);
}

// Writes the built-in data to one pair. A file that exists but cannot be read (a folder, a device, no
// permission, too large) cannot be kept in a copy, so then the pair stays as it is. False when it did.
bool writePair(const WordListFiles& files, const char* wordsName, const char* codesName,
               const QList<QByteArray>& words, const QList<QByteArray>& codes, VocabularyLoad& load) {
    const CappedRead currentWords = readCapped(files.path(wordsName), LineFile::kMaxSize);
    const CappedRead currentCodes = readCapped(files.path(codesName), LineFile::kMaxSize);
    QStringList unreadable;
    for (const CappedRead* current : {&currentWords, &currentCodes}) {
        if (current->status == CappedRead::Status::Unreadable ||
            current->status == CappedRead::Status::TooLarge)
            unreadable << current->error;
    }
    if (!unreadable.isEmpty()) {
        load.writeErrors.append(unreadable.join(QLatin1Char('\n')));
        return false;
    }
    replaceKeepingCopy(files.path(wordsName), currentWords, words, load);
    replaceKeepingCopy(files.path(codesName), currentCodes, codes, load);
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
