// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace telvar {

// The editor's working copy of the word list: word i and its phonetic code string i, one code per byte,
// normally ten bytes padded with "0" but kept whole when longer.
class WorkingWordList {
public:
    // Codes shown for a chosen word: the ones that reach the device's word memory.
    static constexpr int kShownCodes = 8;

    WorkingWordList() = default;
    // Both lists must have the same length.
    WorkingWordList(QStringList words, QList<QByteArray> phonetics);

    qsizetype size() const { return m_words.size(); }
    const QStringList& words() const { return m_words; }
    const QList<QByteArray>& phonetics() const { return m_phonetics; }

    // The first eight codes of entry `index` as mnemonic text; pads show nothing.
    QString shownMnemonics(qsizetype index) const;

    // Puts `word` and `phonetics`, both without blanks at either end, at `index`; the word upper-cased
    // as far as Windows-1252 allows. Returns an empty text, or why nothing was changed.
    QString replace(qsizetype index, QStringView word, QByteArrayView phonetics);

    // Why an entry cannot be a line pair of the word-list files (empty when it can): a carriage return
    // would split its line, and a word must be Windows-1252.
    static QString entryProblem(const QString& word, QByteArrayView phonetics);

private:
    QStringList m_words;
    QList<QByteArray> m_phonetics;
};

} // namespace telvar
