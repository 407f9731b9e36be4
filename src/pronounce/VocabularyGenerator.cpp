// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/VocabularyGenerator.h"

#include "pronounce/Pronouncer.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>

namespace telvar::pronounce {

namespace {

// The meaningful lines of one of the input files: comments and blank lines dropped.
std::optional<QStringList> readLines(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QStringList lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith('#'))
            lines << QString::fromLatin1(line);
    }
    return lines;
}

std::optional<QHash<int, QList<int>>> fixedRows(const QStringList& lines, QString* error) {
    QHash<int, QList<int>> rows;
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        bool ok = fields.size() == 2;
        const int index = ok ? fields[0].toInt(&ok) : -1;
        QList<int> codes;
        for (const QString& code : fields.value(1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            bool codeOk = false;
            codes << code.toInt(&codeOk);
            ok = ok && codeOk;
        }
        if (!ok || index < 0 || index >= VocabularyGenerator::kRows || codes.isEmpty() ||
            codes.size() > VocabularyGenerator::kRowLength) {
            *error = QStringLiteral("fixed-rows.txt: bad line \"%1\"").arg(line);
            return std::nullopt;
        }
        rows.insert(index, codes);
    }
    return rows;
}

} // namespace

VocabularyGenerator::VocabularyGenerator(QString dataFolder, PronouncingSources sources)
    : m_dataFolder(std::move(dataFolder)), m_sources(std::move(sources)) {}

QByteArray VocabularyGenerator::generate(QString* error) const {
    const QDir folder(m_dataFolder);
    const auto words = readLines(folder.filePath(QStringLiteral("words.txt")), error);
    const auto respellingLines =
        words ? readLines(folder.filePath(QStringLiteral("respellings.txt")), error) : std::nullopt;
    const auto fixedLines =
        respellingLines ? readLines(folder.filePath(QStringLiteral("fixed-rows.txt")), error) : std::nullopt;
    if (!fixedLines)
        return {};
    if (words->size() != kSpokenEntries) {
        *error = QStringLiteral("words.txt holds %1 entries, not %2").arg(words->size()).arg(kSpokenEntries);
        return {};
    }
    QHash<QString, QString> respellings;
    for (const QString& line : *respellingLines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 2) {
            *error = QStringLiteral("respellings.txt: bad line \"%1\"").arg(line);
            return {};
        }
        respellings.insert(fields[0], fields[1]);
    }
    const auto fixed = fixedRows(*fixedLines, error);
    if (!fixed)
        return {};

    const Pronouncer pronouncer(m_sources, respellings);
    QByteArray out =
        "# The built-in vocabulary: word index, word-list entry, SpeakJet codes up to the first pad.\n"
        "# Written by telvar-vocabgen from words.txt, respellings.txt and fixed-rows.txt; do not "
        "edit.\n";
    for (int index = 0; index < kRows; ++index) {
        const QString entry = index < kSpokenEntries ? words->at(index) : QString();
        QList<int> codes;
        if (fixed->contains(index)) {
            codes = fixed->value(index);
        } else if (!entry.isEmpty()) {
            const std::optional<QList<int>> spoken = pronouncer.codes(entry);
            if (!spoken) {
                *error = QStringLiteral("no pronunciation for entry %1 \"%2\"").arg(index).arg(entry);
                return {};
            }
            codes = spoken->mid(0, kRowLength);
        }
        QStringList numbers;
        for (int code : codes)
            numbers << QString::number(code);
        out += QByteArray::number(index) + '\t' + entry.toLatin1() + '\t' +
               numbers.join(QLatin1Char(' ')).toLatin1() + '\n';
    }
    return out;
}

} // namespace telvar::pronounce
