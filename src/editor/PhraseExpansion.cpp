// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/PhraseExpansion.h"

#include "editor/Dictionary.h"

#include <QStringList>

namespace telvar {

namespace {

enum class CharacterClass { None, Token, Space, Comma, Ignored };

CharacterClass classify(QChar ch) {
    const char16_t c = ch.unicode();
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'\\')
        return CharacterClass::Token;
    if (c == u' ')
        return CharacterClass::Space;
    if (c == u',')
        return CharacterClass::Comma;
    return CharacterClass::Ignored;
}

// Every level of the expansion writes into the one result, so the length limit counts the whole text
// and a word adds exactly what its entry would add if it were typed in its place.
class Expansion {
public:
    explicit Expansion(const Dictionary& dictionary) : m_dictionary(dictionary) {}

    QString take() { return std::move(m_result); }

    void expand(QStringView text) {
        QString token;
        int spaces = 0;
        int commas = 0;
        CharacterClass previous = CharacterClass::None;
        const auto walk = [&](QChar c) {
            const CharacterClass current = classify(c);
            if (current == CharacterClass::Ignored)
                return;
            if (current != previous) {
                if (previous == CharacterClass::Token)
                    closeToken(token);
                else if (previous == CharacterClass::Space)
                    closeSpaces(spaces);
                else if (previous == CharacterClass::Comma)
                    closeCommas(commas);
                previous = current;
            }
            if (current == CharacterClass::Token)
                token.append(c);
            else if (current == CharacterClass::Space)
                ++spaces;
            else
                ++commas;
        };
        for (const QChar c : text) {
            if (m_stopped)
                return;
            walk(c);
        }
        // The extra blank closes a last token or comma run; a last run of blanks is left open and dropped.
        walk(QChar(u' '));
    }

private:
    // A piece that does not fit ends the expansion: what was built stays, and nothing after it is added,
    // so the result is always the start of the whole expansion and never ends inside a mnemonic.
    void append(QStringView piece) {
        if (m_stopped)
            return;
        if (m_result.size() + piece.size() > kMaxExpansionLength) {
            m_stopped = true;
            return;
        }
        m_result.append(piece);
    }

    void closeToken(QString& token) {
        if (token.startsWith(u'\\'))
            append(token);
        else
            expandWord(token);
        token.clear();
    }

    void closeSpaces(int& spaces) {
        if (spaces == 2)
            append(u" \\P6");
        else if (spaces >= 3)
            append(u" \\P4 \\P1");
        spaces = 0;
    }

    void closeCommas(int& commas) {
        for (; commas > 0; --commas)
            append(u" \\P2");
    }

    void expandWord(const QString& word) {
        const QString key = word.toUpper();
        if (m_stopped || m_words.size() >= kMaxExpansionDepth || m_words.contains(key))
            return;
        if (m_expanded >= kMaxWordExpansions) {
            m_stopped = true;
            return;
        }
        ++m_expanded;
        const QString entry = m_dictionary.ReadDictionary(Dictionary::kWordsSection, word, QString());
        if (entry.isEmpty())
            return;
        m_words.append(key);
        expand(entry);
        m_words.removeLast();
    }

    const Dictionary& m_dictionary;
    QString m_result;
    QStringList m_words; // the words being expanded, outermost first
    int m_expanded = 0;
    bool m_stopped = false; // a limit was reached: the result is final
};

} // namespace

QString ExpandPhrase(QStringView text, const Dictionary& dictionary) {
    Expansion expansion(dictionary);
    expansion.expand(text);
    return expansion.take();
}

} // namespace telvar
