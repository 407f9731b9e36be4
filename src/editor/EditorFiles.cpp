#include "editor/EditorFiles.h"

#include "editor/PhoneticCodes.h"
#include "files/RegularFileCheck.h"
#include "vocab/CappedRead.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <optional>

namespace telvar {

namespace {

QString fileError(const QString& path, const QString& reason) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

std::optional<QByteArray> readBytes(const QString& path, QString* error) {
    CappedRead file = readCapped(path, LineFile::kMaxSize);
    if (!file.ok()) {
        *error = file.error;
        return std::nullopt;
    }
    return std::move(file.data);
}

bool stage(QSaveFile& file, const QByteArray& data, QString* error) {
    if (!mayReplace(file.fileName(), error))
        return false;
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size())
        return true;
    *error = fileError(file.fileName(), file.errorString());
    return false;
}

// Puts the old content back after the second file of a pair could not be replaced.
void restore(const QString& path, const std::optional<QByteArray>& old, QString* error) {
    if (!old) {
        QFile::remove(path);
        return;
    }
    QSaveFile file(path);
    if (!stage(file, *old, error) || !file.commit())
        *error += QStringLiteral("; %1 could not get its old content back, it holds the new one")
                      .arg(QDir::toNativeSeparators(path));
}

// Replaces two files together: both are written in full beside their targets before either is renamed
// over its target.
bool replacePair(const QString& firstPath, const QByteArray& first, const QString& secondPath,
                 const QByteArray& second, QString* error) {
    QSaveFile firstFile(firstPath);
    QSaveFile secondFile(secondPath);
    if (!stage(firstFile, first, error) || !stage(secondFile, second, error))
        return false;
    QString ignored;
    const std::optional<QByteArray> oldFirst =
        QFile::exists(firstPath) ? readBytes(firstPath, &ignored) : std::nullopt;
    if (QFile::exists(firstPath) && !oldFirst) {
        *error =
            fileError(firstPath, QStringLiteral("its old content could not be read, so it was not replaced"));
        return false;
    }
    if (!firstFile.commit()) {
        *error = fileError(firstPath, firstFile.errorString());
        return false;
    }
    if (!secondFile.commit()) {
        *error = fileError(secondPath, secondFile.errorString());
        restore(firstPath, oldFirst, error);
        return false;
    }
    return true;
}

} // namespace

EditorFiles::EditorFiles(QString folder) : m_folder(std::move(folder)) {}

QString EditorFiles::path(const char* name) const {
    return QDir(m_folder).filePath(QString::fromLatin1(name));
}

namespace {

// The lines of a working file; a file that is there but cannot be read also sets load.unreadable.
std::optional<QList<QByteArray>> readLines(const QString& path, EditorLoad& load) {
    const CappedRead file = readCapped(path, LineFile::kMaxSize);
    if (file.ok())
        return LineFile::split(file.data);
    load.problems << file.error;
    if (file.status != CappedRead::Status::Missing && load.unreadable.isEmpty())
        load.unreadable = file.error;
    return std::nullopt;
}

} // namespace

EditorLoad EditorFiles::load() const {
    EditorLoad load;
    const auto wordLines = readLines(path(WordListFiles::kTempWords), load);
    if (!wordLines)
        return load;
    auto codeLines = readLines(path(WordListFiles::kTempCodes), load);
    if (!codeLines)
        codeLines.emplace();
    if (codeLines->size() < wordLines->size()) {
        load.problems << QStringLiteral("%1 has %2 lines for %3 words: the last %4 words have no phonetics")
                             .arg(QLatin1String(WordListFiles::kTempCodes))
                             .arg(codeLines->size())
                             .arg(wordLines->size())
                             .arg(wordLines->size() - codeLines->size());
    }
    QStringList words;
    QList<QByteArray> phonetics;
    words.reserve(wordLines->size());
    phonetics.reserve(wordLines->size());
    for (qsizetype i = 0; i < wordLines->size(); ++i) {
        words << cp1252::decode(wordLines->at(i)).trimmed();
        phonetics << (i < codeLines->size() ? withoutBlanks(codeLines->at(i)).toByteArray()
                                            : QByteArray(kStoredPhoneticLength, kPhoneticPad));
    }
    load.list = WorkingWordList(std::move(words), std::move(phonetics));
    return load;
}

bool EditorFiles::saveEdits(const WorkingWordList& list, QString* error) const {
    QList<QByteArray> wordLines;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString problem = WorkingWordList::entryProblem(list.words().at(i), list.phonetics().at(i));
        if (!problem.isEmpty()) {
            *error = problem;
            return false;
        }
        wordLines << cp1252::encode(list.words().at(i));
    }
    return replacePair(path(WordListFiles::kTempWords), LineFile::join(wordLines),
                       path(WordListFiles::kTempCodes), LineFile::join(list.phonetics()), error);
}

bool EditorFiles::transferEdits(QString* error) const {
    const auto words = readBytes(path(WordListFiles::kTempWords), error);
    if (!words)
        return false;
    const auto codes = readBytes(path(WordListFiles::kTempCodes), error);
    if (!codes)
        return false;
    QString reason;
    if (!WordListFiles::pairLines(LineFile::split(*words), LineFile::split(*codes), &reason)) {
        *error = QStringLiteral("%1 and %2 do not make a word list (%3)")
                     .arg(QLatin1String(WordListFiles::kTempWords), QLatin1String(WordListFiles::kTempCodes),
                          reason);
        return false;
    }
    return replacePair(path(WordListFiles::kMainWords), *words, path(WordListFiles::kMainCodes), *codes,
                       error);
}

} // namespace telvar
