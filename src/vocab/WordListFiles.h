// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vocab/VocabularyTables.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace telvar {

// The word-list files of the data folder: the main pair that start-up loads and the temporary pair that
// the word editor works on. Line i of a word file is word i in Windows-1252; line i of a code file is
// that word's code row, one byte per code.
class WordListFiles {
public:
    static constexpr const char* kMainWords = "mainw.txt";
    static constexpr const char* kMainCodes = "mainph.txt";
    static constexpr const char* kTempWords = "tempw.txt";
    static constexpr const char* kTempCodes = "tempph.txt";

    // Rows the built-in data writes to the code files (0..2054).
    static constexpr int kWrittenRows = 2055;
    // The code table holds whole rows 0..2059, so no word file may be longer.
    static constexpr int kMaxWords = Vocabulary::kTableRows;

    explicit WordListFiles(QString folder);

    const QString& folder() const { return m_folder; }
    QString path(const char* name) const;

    // Reads a word file and its code file in step into both lists and a fresh code table (rows past the
    // last word stay 0), after settling the pair. nullopt, with the reason in *error, when a file cannot
    // be read, the code file has fewer lines than the word file or the words do not fit the code table.
    std::optional<VocabularyTables> readPair(const char* wordsName, const char* codesName,
                                             QString* error) const;

    // The lines of a word file and of a code file (rows 0..rows-1, ten characters each).
    static QList<QByteArray> wordLines(const QStringList& words);
    static QList<QByteArray> codeLines(const Vocabulary::CodeTable& codes, int rows);

    bool writeWords(const char* name, const QStringList& words, QString* error) const;
    // Writes rows 0..rows-1 of the table as ten-character lines.
    bool writeCodes(const char* name, const Vocabulary::CodeTable& codes, int rows, QString* error) const;

    // Finishes or drops what a replacement of the pair cut short left behind (see PairCommit); every
    // reader and writer of a pair calls it first, so nobody sees a word file of one version beside the
    // code file of another. False, with the reason in *error, when the pair could not be made whole.
    bool settlePair(const char* wordsName, const char* codesName, QString* error) const;
    // Replaces a word file and its code file as one.
    bool replacePair(const char* wordsName, const char* codesName, const QByteArray& words,
                     const QByteArray& codes, QString* error) const;

    // Pairs word lines with code lines as readPair does, without touching a file.
    static std::optional<VocabularyTables> pairLines(const QList<QByteArray>& wordLines,
                                                     const QList<QByteArray>& codeLines, QString* error);

private:
    QString m_folder;
};

} // namespace telvar
