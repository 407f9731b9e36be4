// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/EditorFiles.h"

#include "editor/PhoneticCodes.h"
#include "files/RegularFileCheck.h"
#include "files/CappedRead.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <QDir>

#include <optional>

namespace telvar {

namespace {

std::optional<QByteArray> readBytes(const QString& path, QString* error) {
    CappedRead file = readCapped(path, LineFile::kMaxSize);
    if (!file.ok()) {
        *error = file.error;
        return std::nullopt;
    }
    return std::move(file.data);
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
    QString error;
    if (!WordListFiles(m_folder).settlePair(WordListFiles::kTempWords, WordListFiles::kTempCodes, &error)) {
        // An interrupted save that cannot be finished: saving over it would lose one of its versions.
        load.problems << error;
        load.unreadable = error;
        return load;
    }
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
        words << withoutBlanks(cp1252::decode(wordLines->at(i))).toString();
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
    return WordListFiles(m_folder).replacePair(WordListFiles::kTempWords, WordListFiles::kTempCodes,
                                               LineFile::join(wordLines), LineFile::join(list.phonetics()),
                                               error);
}

bool EditorFiles::transferEdits(QString* error) const {
    const WordListFiles files(m_folder);
    if (!files.settlePair(WordListFiles::kTempWords, WordListFiles::kTempCodes, error))
        return false;
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
    return files.replacePair(WordListFiles::kMainWords, WordListFiles::kMainCodes, *words, *codes, error);
}

} // namespace telvar
