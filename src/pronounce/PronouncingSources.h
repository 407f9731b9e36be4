// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar::pronounce {

// Where pronunciations come from: the CMU dictionary file of Debian's pocketsphinx-en-us and the
// espeak-ng program. TELVAR_CMUDICT and TELVAR_ESPEAK override the two, so a test can point them at
// a file of its own or at nothing. The dictionary's index is kept in `cacheFolder` (the user's cache
// folder); left empty, it is built anew by each pronouncer.
struct PronouncingSources {
    static constexpr const char* kDefaultDictionary =
        "/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict";
    static constexpr const char* kDefaultProgram = "espeak-ng";

    QString dictionaryPath;
    QString espeakProgram;
    QString cacheFolder;

    static PronouncingSources fromEnvironment();

    bool hasDictionary() const;
    bool hasFallback() const;
    // What to install for the sources that are missing, empty when both are there.
    QString missingHint() const;
};

} // namespace telvar::pronounce
