// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pronounce/DictionaryIndex.h"
#include "pronounce/Phone.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

class QFile;

namespace telvar::pronounce {

// The CMU pronouncing dictionary as Debian's pocketsphinx-en-us installs it: one entry a line, the key
// in lower case (variants numbered "a(2)"), then the ARPAbet phones separated by blanks. The file is
// mapped, not read: a lookup touches a few pages of it and of its index, so one word costs
// milliseconds and no memory to speak of.
class PronouncingDictionary {
public:
    // A missing or unreadable file gives an empty dictionary. The index is kept in `cacheFolder`;
    // without one it is built for this object alone.
    explicit PronouncingDictionary(const QString& path, const QString& cacheFolder = QString());
    ~PronouncingDictionary();

    bool isEmpty() const { return !m_index || m_index->size() == 0; }
    // The phones of a key such as "night" or "a(2)"; keys are compared in lower case.
    std::optional<Phones> lookup(const QString& key) const;
    const DictionaryIndex* index() const { return m_index.get(); }

private:
    std::unique_ptr<QFile> m_file;
    QByteArrayView m_content;
    std::unique_ptr<DictionaryIndex> m_index;
};

} // namespace telvar::pronounce
