// SPDX-License-Identifier: GPL-3.0-or-later
// The word-list pair as it travels through the disk: read from files as they come, written back and read
// again. The first two bytes of the input give the length of the word file; the rest is the code file.
// Whatever a pair read yields must survive its own writing unchanged, and words typed by the user must
// either be written so that they read back as typed or be refused.
#include "FuzzSupport.h"

#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"
#include "vocab/WordListFiles.h"

#include <cstdint>

using namespace telvar;
using telvar::fuzz::require;

namespace {

void requireSameTables(const VocabularyTables& a, const VocabularyTables& b) {
    require(a.list1 == b.list1);
    require(a.list3 == b.list3);
    require(a.codes == b.codes);
}

// Words the user typed (any text, one per line of the UTF-8 input) written as a word file.
void checkTypedWords(const WordListFiles& files, QByteArrayView input) {
    const QStringList words = QString::fromUtf8(input).split(u'\n');
    QString error;
    const bool written = files.writeWords(WordListFiles::kTempWords, words, &error);
    const bool carriesReturn =
        std::any_of(words.begin(), words.end(), [](const QString& w) { return w.contains(u'\r'); });
    require(written != carriesReturn);
    require(written || !error.isEmpty());
    if (!written)
        return;
    const auto lines = LineFile::read(files.path(WordListFiles::kTempWords), &error);
    require(lines && lines->size() == words.size());
    for (qsizetype k = 0; k < words.size(); ++k) {
        require(lines->at(k) == cp1252::encode(words[k]));
        if (cp1252::canEncode(words[k]))
            require(cp1252::decode(lines->at(k)) == words[k]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parts = fuzz::twoParts(data, size);
    if (!parts)
        return 0;
    const WordListFiles files(fuzz::scratchFolder());
    fuzz::putFile(files.path(WordListFiles::kMainWords), parts->first);
    fuzz::putFile(files.path(WordListFiles::kMainCodes), parts->second);

    QString error;
    const auto tables = files.readPair(WordListFiles::kMainWords, WordListFiles::kMainCodes, &error);
    require(tables.has_value() || !error.isEmpty());
    if (tables) {
        const int rows = int(tables->list1.size());
        require(files.writeWords(WordListFiles::kTempWords, tables->list1, &error));
        require(files.writeCodes(WordListFiles::kTempCodes, tables->codes, rows, &error));
        const auto again = files.readPair(WordListFiles::kTempWords, WordListFiles::kTempCodes, &error);
        require(again.has_value());
        requireSameTables(*tables, *again);
    }

    checkTypedWords(files, parts->both);
    return 0;
}
