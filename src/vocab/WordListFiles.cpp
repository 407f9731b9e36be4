// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/WordListFiles.h"

#include "files/PairCommit.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"

#include <QDir>

namespace telvar {

namespace {

constexpr char kPadByte = char(Vocabulary::kPad);

// A code line shorter than a row is filled up with the pad, a longer one gives its first ten bytes.
void loadRow(const QByteArray& line, qint16* row) {
    for (int i = 0; i < Vocabulary::kRowLength; ++i)
        row[i] = static_cast<unsigned char>(i < line.size() ? line[i] : kPadByte);
}

QByteArray rowLine(const qint16* row) {
    QByteArray line(Vocabulary::kRowLength, Qt::Uninitialized);
    for (int i = 0; i < Vocabulary::kRowLength; ++i)
        line[i] = char(row[i]);
    return line;
}

} // namespace

WordListFiles::WordListFiles(QString folder) : m_folder(std::move(folder)) {}

QString WordListFiles::path(const char* name) const {
    return QDir(m_folder).filePath(QString::fromLatin1(name));
}

std::optional<VocabularyTables> WordListFiles::readPair(const char* wordsName, const char* codesName,
                                                        QString* error) const {
    if (!settlePair(wordsName, codesName, error))
        return std::nullopt;
    const auto wordLines = LineFile::read(path(wordsName), error);
    if (!wordLines)
        return std::nullopt;
    const auto codeLines = LineFile::read(path(codesName), error);
    if (!codeLines)
        return std::nullopt;
    QString reason;
    auto tables = pairLines(*wordLines, *codeLines, &reason);
    if (!tables && error)
        *error =
            QStringLiteral("%1 and %2: %3").arg(QLatin1String(wordsName), QLatin1String(codesName), reason);
    return tables;
}

bool WordListFiles::settlePair(const char* wordsName, const char* codesName, QString* error) const {
    return PairCommit(m_folder, QLatin1String(wordsName), QLatin1String(codesName)).settle(error);
}

bool WordListFiles::replacePair(const char* wordsName, const char* codesName, const QByteArray& words,
                                const QByteArray& codes, QString* error) const {
    return PairCommit(m_folder, QLatin1String(wordsName), QLatin1String(codesName))
        .replace(words, codes, error);
}

std::optional<VocabularyTables> WordListFiles::pairLines(const QList<QByteArray>& wordLines,
                                                         const QList<QByteArray>& codeLines, QString* error) {
    if (wordLines.size() > kMaxWords) {
        if (error)
            *error = QStringLiteral("%1 words, more than the %2 the code table holds")
                         .arg(wordLines.size())
                         .arg(kMaxWords);
        return std::nullopt;
    }
    if (codeLines.size() < wordLines.size()) {
        if (error)
            *error = QStringLiteral("%1 code lines for %2 words").arg(codeLines.size()).arg(wordLines.size());
        return std::nullopt;
    }
    VocabularyTables tables;
    tables.list1.reserve(wordLines.size());
    for (qsizetype k = 0; k < wordLines.size(); ++k) {
        tables.list1.append(cp1252::decode(wordLines[k]));
        loadRow(codeLines[k], tables.codes.data() + k * Vocabulary::kRowLength);
    }
    tables.list3 = tables.list1;
    return tables;
}

QList<QByteArray> WordListFiles::wordLines(const QStringList& words) {
    QList<QByteArray> lines;
    lines.reserve(words.size());
    for (const QString& word : words)
        lines.append(cp1252::encode(word));
    return lines;
}

QList<QByteArray> WordListFiles::codeLines(const Vocabulary::CodeTable& codes, int rows) {
    QList<QByteArray> lines;
    lines.reserve(rows);
    for (int k = 0; k < rows; ++k)
        lines.append(rowLine(codes.data() + k * Vocabulary::kRowLength));
    return lines;
}

bool WordListFiles::writeWords(const char* name, const QStringList& words, QString* error) const {
    return LineFile::write(path(name), wordLines(words), error);
}

bool WordListFiles::writeCodes(const char* name, const Vocabulary::CodeTable& codes, int rows,
                               QString* error) const {
    return LineFile::write(path(name), codeLines(codes, rows), error);
}

} // namespace telvar
