// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/WorkingWordList.h"

#include "editor/MnemonicConversion.h"
#include "editor/PhoneticCodes.h"
#include "vocab/Cp1252.h"

namespace telvar {

WorkingWordList::WorkingWordList(QStringList words, QList<QByteArray> phonetics)
    : m_words(std::move(words)), m_phonetics(std::move(phonetics)) {
    Q_ASSERT(m_words.size() == m_phonetics.size());
}

QString WorkingWordList::shownMnemonics(qsizetype index) const {
    return CodesToMnemonics(QByteArrayView(m_phonetics.at(index))
                                .first(std::min<qsizetype>(kShownCodes, m_phonetics.at(index).size())));
}

QString WorkingWordList::replace(qsizetype index, QStringView word, QByteArrayView phonetics) {
    if (index < 0 || index >= size())
        return QStringLiteral("there is no word %1 in the list of %2 words").arg(index).arg(size());
    const QString newWord = cp1252::toUpper(withoutBlanks(word));
    const QByteArray newPhonetics = withoutBlanks(phonetics).toByteArray();
    const QString problem = entryProblem(newWord, newPhonetics);
    if (!problem.isEmpty())
        return problem;
    m_words[index] = newWord;
    m_phonetics[index] = newPhonetics;
    return {};
}

QString WorkingWordList::entryProblem(const QString& word, QByteArrayView phonetics) {
    if (phonetics.contains('\r'))
        return QStringLiteral("the phonetics of %1 hold the code 13 (carriage return), which a line of the "
                              "phonetic file cannot keep")
            .arg(word);
    if (word.contains(u'\r') || !cp1252::canEncode(word))
        return QStringLiteral("the word %1 holds characters that the word file cannot keep").arg(word);
    return {};
}

} // namespace telvar
