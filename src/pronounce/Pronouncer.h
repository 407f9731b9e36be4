// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pronounce/PhonemeFallback.h"
#include "pronounce/PronouncingDictionary.h"
#include "pronounce/PronouncingSources.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace telvar::pronounce {

// A word, or words separated by blanks, to SpeakJet allophone codes: each word's ARPAbet comes from the
// pronouncing dictionary, or from espeak-ng where the dictionary lacks it, and the allophone rules turn
// it into codes. A pronouncer can be used from any one thread at a time.
class Pronouncer {
public:
    // `respellings` maps a word as written (upper case) to the dictionary keys to say instead, separated
    // by blanks ("1" to "one", "A" to "a(2)").
    explicit Pronouncer(const PronouncingSources& sources, QHash<QString, QString> respellings = {});

    // The codes of every word in turn; nothing when a word is known to neither source.
    std::optional<QList<int>> codes(const QString& text) const;
    // The ARPAbet of one dictionary key ("night", "a(2)"), from whichever source knows it.
    std::optional<Phones> phones(const QString& key) const;

    bool hasAnySource() const { return !m_dictionary.isEmpty() || m_fallback.isAvailable(); }

private:
    PronouncingDictionary m_dictionary;
    PhonemeFallback m_fallback;
    QHash<QString, QString> m_respellings;
};

} // namespace telvar::pronounce
