#include "vocab/VocabularyLoader.h"

#include "vocab/BuiltinVocabulary.h"
#include "vocab/WordListFiles.h"

#include <QFile>

#include <algorithm>

namespace telvar {

namespace {

constexpr int kBrowserEntries = 2049; // the word browser shows built-in entries 0..2048

// The built-in data replaces files that may hold the user's work (edits saved in the temporary pair but
// never transferred, a main pair that merely failed to load), so an existing file is copied aside
// first; when that copy fails the file is left as it is.
bool keepCopy(const QString& path, VocabularyLoad& load) {
    if (!QFile::exists(path))
        return true;
    const QString copy = path + QLatin1String(VocabularyLoader::kBackupSuffix);
    QFile::remove(copy);
    if (QFile::copy(path, copy)) {
        load.keptCopies.append(copy);
        return true;
    }
    load.writeErrors.append(QStringLiteral("%1: not replaced, it could not be copied to %2").arg(path, copy));
    return false;
}

void writeBuiltinFiles(const WordListFiles& files, VocabularyLoad& load) {
    const auto write = [&](const char* name, const auto& writer) {
        if (!keepCopy(files.path(name), load))
            return;
        QString error;
        if (!writer(name, &error))
            load.writeErrors.append(error);
    };
    const auto words = [&](const char* name, QString* error) {
        return files.writeWords(name, load.tables.list1, error);
    };
    const auto codes = [&](const char* name, QString* error) {
        return files.writeCodes(name, load.tables.codes, WordListFiles::kWrittenRows, error);
    };
    write(WordListFiles::kTempWords, words);
    write(WordListFiles::kMainWords, words);
    write(WordListFiles::kMainCodes, codes);
    write(WordListFiles::kTempCodes, codes);
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
