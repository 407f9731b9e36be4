// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pronounce/PronouncingSources.h"

#include <QByteArray>
#include <QString>

namespace telvar::pronounce {

// Writes the built-in vocabulary file (index, word, codes up to the first pad) from the files beside it
// in src/vocab/data: words.txt (entries 0-2047), respellings.txt (what to say for entries the dictionary
// does not hold as written) and fixed-rows.txt (rows handed down, written as they stand). The same inputs
// and the same two sources give the same bytes.
class VocabularyGenerator {
public:
    static constexpr int kSpokenEntries = 2048;
    static constexpr int kWordEntries = 2051;
    static constexpr int kRows = 2055;
    static constexpr int kRowLength = 10;

    VocabularyGenerator(QString dataFolder, PronouncingSources sources);

    // The file's content; empty with `error` set when an input is missing or malformed or a word has no
    // pronunciation.
    QByteArray generate(QString* error) const;

private:
    QString m_dataFolder;
    PronouncingSources m_sources;
};

} // namespace telvar::pronounce
