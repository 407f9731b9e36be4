// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/MnemonicConversion.h"

#include "editor/MnemonicTable.h"

#include <QStringList>

#include <algorithm>

namespace telvar {

namespace {

constexpr int kLargestCode = 255;

bool isTokenCharacter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'#';
}

// The leading decimal digits of the text; anything above kLargestCode reads as kLargestCode + 1, so a
// long run of digits cannot overflow.
int leadingNumber(QStringView text) {
    int number = 0;
    for (const QChar c : text) {
        if (c.unicode() < u'0' || c.unicode() > u'9')
            break;
        number = std::min(number * 10 + (c.unicode() - u'0'), kLargestCode + 1);
    }
    return number;
}

void appendToken(QStringView token, QByteArray& codes) {
    if (token == u"\\0") {
        codes.append('\0');
        return;
    }
    // "\128" is the code 128; the digits are read from the second character, whatever it is.
    const int number = leadingNumber(token.mid(1));
    if (number > 0) {
        // A number above 255 cannot be one code: the token is dropped like an unknown mnemonic.
        if (number <= kLargestCode)
            codes.append(char(number));
        return;
    }
    const int index = FindMnemonic(token);
    if (index < kFirstNoteCode) {
        codes.append(char(index));
    } else if (index < kNoMnemonic) {
        codes.append(kPitchCode);
        codes.append(char(NotePitch(index)));
    }
}

} // namespace

QString NormalizeMnemonics(QStringView text) {
    // Upper-case, turn every other character into a backslash and collapse runs of backslashes in one
    // pass: the result only depends on where the runs of separators lie.
    QString result;
    result.reserve(text.size() * 2);
    bool pendingSeparator = false;
    for (const QChar ch : text) {
        char16_t c = ch.unicode();
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
        if (!isTokenCharacter(c)) {
            pendingSeparator = true;
            continue;
        }
        if (pendingSeparator) {
            result.append(QLatin1String(" \\"));
            pendingSeparator = false;
        }
        result.append(QChar(c));
    }
    return result;
}

QByteArray MnemonicsToCodes(QStringView text) {
    const QString normalized = NormalizeMnemonics(text);
    QStringView rest = QStringView(normalized).trimmed();
    QByteArray codes;
    while (!rest.isEmpty()) {
        // The token runs up to the next backslash after its first character.
        qsizetype end = rest.indexOf(u'\\', 1);
        if (end < 0)
            end = rest.size();
        appendToken(rest.first(end).trimmed(), codes);
        rest = rest.sliced(end).trimmed();
    }
    return codes;
}

QString CodesToMnemonics(QByteArrayView codes) {
    const MnemonicEntries& table = MnemonicTable();
    QString text;
    for (const char code : codes)
        text.append(table[static_cast<unsigned char>(code)]);
    return text;
}

QString CodesToSpacedMnemonics(QByteArrayView codes) {
    const MnemonicEntries& table = MnemonicTable();
    QStringList tokens;
    for (const char code : codes) {
        const QString& token = table[static_cast<unsigned char>(code)];
        if (!token.isEmpty())
            tokens << token;
    }
    return tokens.join(QLatin1Char(' '));
}

} // namespace telvar
