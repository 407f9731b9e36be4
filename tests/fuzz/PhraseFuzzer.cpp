// SPDX-License-Identifier: GPL-3.0-or-later
// A dictionary file and a typed phrase, as they come from the user: the dictionary is the input up to its
// first NUL, the phrase the rest. Any pair must expand without crashing, in bounded time and size, into
// nothing but tokens and pauses.
#include "FuzzSupport.h"

#include "editor/Dictionary.h"
#include "editor/PhraseExpansion.h"

#include <cstdint>

using namespace telvar;
using telvar::fuzz::require;

namespace {

bool isExpansionCharacter(QChar ch) {
    const char16_t c = ch.unicode();
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'\\' ||
           c == u' ';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArrayView file = split < 0 ? input : input.first(split);
    const QString phrase = split < 0 ? QString() : QString::fromUtf8(input.sliced(split + 1));

    const Dictionary dictionary = Dictionary::parse(file);
    const QString expansion = ExpandPhrase(phrase, dictionary);
    require(expansion.size() <= kMaxExpansionLength);
    for (const QChar c : expansion)
        require(isExpansionCharacter(c));
    // The expansion keeps no state between calls.
    require(ExpandPhrase(phrase, dictionary) == expansion);
    return 0;
}
