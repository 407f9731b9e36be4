// SPDX-License-Identifier: GPL-3.0-or-later
// Windows-1252 both ways. Bytes from a file must come back byte for byte, whatever they are; text the
// user types must come back as typed when the code page can hold it, and take one byte per character
// either way, so that columns and lengths stay where the user put them.
#include "FuzzSupport.h"

#include "vocab/Cp1252.h"

#include <cstdint>
#include <cstring>

using namespace telvar;
using telvar::fuzz::require;

namespace {

qsizetype characterCount(QStringView text) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));

    const QString decoded = cp1252::decode(bytes);
    require(decoded.size() == bytes.size());
    require(cp1252::canEncode(decoded));
    require(cp1252::encode(decoded) == bytes);

    // The same bytes read as UTF-16, so that every character (and broken surrogate pairs) can occur.
    QString typed(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(typed.data(), data, size_t(typed.size()) * sizeof(QChar));
    const QByteArray encoded = cp1252::encode(typed);
    require(encoded.size() == characterCount(typed));
    if (cp1252::canEncode(typed))
        require(cp1252::decode(encoded) == typed);
    else
        require(encoded.contains('?'));
    return 0;
}
