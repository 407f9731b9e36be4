// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

class QFile;

namespace telvar::pronounce {

// The line offsets of a pronouncing dictionary, ordered by key (ASCII case folded; lines with the same
// key in file order), so a word is found by a binary search over the file as it lies on disk. Building
// the order reads the whole file once; it is then kept in `cacheFolder` and only mapped by later runs,
// as long as the dictionary keeps its path, size and modification time.
class DictionaryIndex {
public:
    // `dictionary` is the file's content. Without a usable cache folder the order is built for this
    // run alone.
    DictionaryIndex(const QString& dictionaryPath, QByteArrayView dictionary, const QString& cacheFolder);
    ~DictionaryIndex();
    DictionaryIndex(DictionaryIndex&&) noexcept;
    DictionaryIndex& operator=(DictionaryIndex&&) noexcept;

    quint32 size() const { return m_count; }
    quint32 offset(quint32 i) const { return m_offsets[i]; }
    // Where the order came from, for tests and benchmarks: the cache file's path when it was read
    // from or written to one, else empty.
    const QString& cachePath() const { return m_cachePath; }
    bool wasBuilt() const { return m_built; }

    // Compares the key of the line at `offset` with `key`, both ASCII case folded.
    static int compareKey(QByteArrayView dictionary, quint32 offset, QByteArrayView key);

private:
    bool mapCache(const QString& path, QByteArrayView header);
    void build(QByteArrayView dictionary);
    void writeCache(const QString& path, QByteArrayView header) const;

    std::unique_ptr<QFile> m_cacheFile;
    std::vector<quint32> m_inMemory;
    const quint32* m_offsets = nullptr;
    quint32 m_count = 0;
    QString m_cachePath;
    bool m_built = false;
};

} // namespace telvar::pronounce
