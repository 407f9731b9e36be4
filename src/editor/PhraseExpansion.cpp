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

class Expansion {
public:
    explicit Expansion(const Dictionary& dictionary) : m_dictionary(dictionary) {}

    QString expand(QStringView text) {
        QString result;
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
                    closeToken(token, result);
                else if (previous == CharacterClass::Space)
                    closeSpaces(spaces, result);
                else if (previous == CharacterClass::Comma)
                    closeCommas(commas, result);
                previous = current;
            }
            if (current == CharacterClass::Token)
                token.append(c);
            else if (current == CharacterClass::Space)
                ++spaces;
            else
                ++commas;
        };
        for (const QChar c : text)
            walk(c);
        // The extra blank closes a last token or comma run; a last run of blanks is left open and dropped.
        walk(QChar(u' '));
        return result;
    }

private:
    void append(QString& result, QStringView piece) {
        if (m_full || result.size() + piece.size() > kMaxExpansionLength) {
            m_full = true;
            return;
        }
        result.append(piece);
    }

    void closeToken(QString& token, QString& result) {
        if (token.startsWith(u'\\'))
            append(result, token);
        else
            append(result, expandWord(token));
        token.clear();
    }

    void closeSpaces(int& spaces, QString& result) {
        if (spaces == 2)
            append(result, u" \\P6");
        else if (spaces >= 3)
            append(result, u" \\P4 \\P1");
        spaces = 0;
    }

    void closeCommas(int& commas, QString& result) {
        for (; commas > 0; --commas)
            append(result, u" \\P2");
    }

    QString expandWord(const QString& word) {
        const QString key = word.toUpper();
        if (m_full || m_words.size() >= kMaxExpansionDepth || m_expanded >= kMaxWordExpansions ||
            m_words.contains(key))
            return {};
        ++m_expanded;
        const QString entry = m_dictionary.ReadDictionary(Dictionary::kWordsSection, word, QString());
        if (entry.isEmpty())
            return {};
        m_words.append(key);
        QString expansion = expand(entry);
        m_words.removeLast();
        return expansion;
    }

    const Dictionary& m_dictionary;
    QStringList m_words; // the words being expanded, outermost first
    int m_expanded = 0;
    bool m_full = false; // the result reached its limit: nothing more is added
};

} // namespace

QString ExpandPhrase(QStringView text, const Dictionary& dictionary) {
    return Expansion(dictionary).expand(text);
}

} // namespace telvar
