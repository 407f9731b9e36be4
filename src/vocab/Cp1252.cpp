// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/Cp1252.h"

#include <optional>

namespace telvar::cp1252 {

namespace {

// Bytes 0x80-0x9F; the undefined ones map to themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kFirstHighControl = 0x80;
constexpr char16_t kFirstLatin1Letter = 0xA0;

std::optional<char> byteFor(char16_t c) {
    if (c < kFirstHighControl || (c >= kFirstLatin1Letter && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == c)
            return char(kFirstHighControl + i);
    }
    return std::nullopt;
}

} // namespace

QString decode(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        const bool high = byte >= kFirstHighControl && byte < kFirstLatin1Letter;
        *out++ = QChar(high ? kHighControls[byte - kFirstHighControl] : char16_t(byte));
    }
    return text;
}

QByteArray encode(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character outside the basic plane is two UTF-16 units but one unknown character.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        bytes.append(byteFor(c.unicode()).value_or('?'));
    }
    return bytes;
}

bool canEncode(QStringView text) {
    for (const QChar c : text) {
        if (!byteFor(c.unicode()))
            return false;
    }
    return true;
}

QString toUpper(QStringView text) {
    QString upper = text.toString();
    for (QChar& c : upper) {
        // The simple mapping: one character for one, never a longer text.
        const char32_t mapped = QChar::toUpper(char32_t(c.unicode()));
        if (mapped <= 0xFFFF && byteFor(char16_t(mapped)))
            c = QChar(char16_t(mapped));
    }
    return upper;
}

} // namespace telvar::cp1252
