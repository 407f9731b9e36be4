// SPDX-License-Identifier: GPL-3.0-or-later
// Mnemonic text as the user types it: any text must convert without crashing, and the results must
// keep the properties the word editor relies on.
#include "FuzzSupport.h"

#include "editor/MnemonicConversion.h"
#include "editor/MnemonicTable.h"

#include <cstdint>

using namespace telvar;
using telvar::fuzz::require;

namespace {

bool isCanonical(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool token = (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'#';
        if (c == u'\\') {
            if (i == 0 || text[i - 1] != u' ' || i + 1 == text.size())
                return false;
        } else if (c == u' ') {
            if (i + 1 == text.size() || text[i + 1] != u'\\')
                return false;
        } else if (!token) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const QString normalized = NormalizeMnemonics(text);
    require(isCanonical(normalized));
    require(NormalizeMnemonics(normalized) == normalized);

    const QByteArray codes = MnemonicsToCodes(text);
    require(MnemonicsToCodes(normalized) == codes);

    // Shown and converted again, a code string keeps every code that has a mnemonic.
    QByteArray named;
    for (const char code : codes) {
        if (!MnemonicTable()[static_cast<unsigned char>(code)].isEmpty())
            named.append(code);
    }
    require(MnemonicsToCodes(CodesToMnemonics(codes)) == named);
    return 0;
}
