#pragma once

#include "pronounce/Phone.h"

#include <QHash>
#include <QString>

#include <optional>

namespace telvar::pronounce {

// The CMU pronouncing dictionary as Debian's pocketsphinx-en-us installs it: one entry a line, the key
// in lower case (variants numbered "a(2)"), then the ARPAbet phones separated by blanks.
class PronouncingDictionary {
public:
    // Reads the whole file; a missing or unreadable file gives an empty dictionary.
    explicit PronouncingDictionary(const QString& path);

    bool isEmpty() const { return m_entries.isEmpty(); }
    // The phones of a key such as "night" or "a(2)"; keys are compared in lower case.
    std::optional<Phones> lookup(const QString& key) const;

private:
    QHash<QString, Phones> m_entries;
};

} // namespace telvar::pronounce
