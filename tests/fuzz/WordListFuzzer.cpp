// SPDX-License-Identifier: GPL-3.0-or-later
// A word file and a code file as found on disk. The first two bytes of the input give the length of the
// word file; the rest is the code file.
#include "FuzzSupport.h"

#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <cstdint>

using namespace telvar;
using telvar::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parts = fuzz::twoParts(data, size);
    if (!parts)
        return 0;
    const QList<QByteArray> wordLines = LineFile::split(parts->first);
    const QList<QByteArray> codeLines = LineFile::split(parts->second);

    for (const QList<QByteArray>* lines : {&wordLines, &codeLines}) {
        for (const QByteArray& line : *lines)
            require(!line.contains('\r'));
        require(LineFile::split(LineFile::join(*lines)) == *lines);
    }

    const auto tables = WordListFiles::pairLines(wordLines, codeLines, nullptr);
    const bool fits = wordLines.size() <= WordListFiles::kMaxWords && codeLines.size() >= wordLines.size();
    require(tables.has_value() == fits);
    if (!tables)
        return 0;
    require(tables->list1.size() == wordLines.size() && tables->list3 == tables->list1);
    for (qsizetype k = 0; k < wordLines.size(); ++k)
        require(cp1252::encode(tables->list1[k]) == wordLines[k]);
    const qsizetype used = wordLines.size() * Vocabulary::kRowLength;
    for (qsizetype i = 0; i < qsizetype(tables->codes.size()); ++i) {
        const qint16 code = tables->codes[i];
        require(i < used ? code >= 0 && code <= 255 : code == 0);
    }
    return 0;
}
