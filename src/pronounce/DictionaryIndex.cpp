// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/DictionaryIndex.h"

#include "files/ReplaceFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <limits>

namespace telvar::pronounce {

namespace {

constexpr char kMagic[8] = {'T', 'V', 'X', 'D', 'I', 'X', '0', '1'};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

char folded(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

void append(QByteArray& bytes, const auto& value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// What a cache must start with to belong to this dictionary as it is now: any change of the file
// (replaced, edited, touched) or a different file makes a different header. The path is padded so the
// offsets after it can be read in place.
QByteArray headerFor(const QString& dictionaryPath, qint64 size) {
    const QFileInfo info(dictionaryPath);
    const QByteArray path = info.absoluteFilePath().toUtf8();
    QByteArray header(kMagic, sizeof kMagic);
    append(header, qint64(size));
    append(header, qint64(info.lastModified().toMSecsSinceEpoch()));
    append(header, quint32(path.size()));
    header += path;
    header.append((4 - header.size() % 4) % 4, '\0');
    return header;
}

} // namespace

DictionaryIndex::DictionaryIndex(const QString& dictionaryPath, QByteArrayView dictionary,
                                 const QString& cacheFolder) {
    // Offsets are 32 bits; a file beyond that is no pronouncing dictionary.
    if (dictionary.size() > qsizetype(std::numeric_limits<quint32>::max()))
        return;
    const QByteArray header = headerFor(dictionaryPath, dictionary.size());
    if (!cacheFolder.isEmpty()) {
        const QByteArray name =
            QCryptographicHash::hash(QFileInfo(dictionaryPath).absoluteFilePath().toUtf8(),
                                     QCryptographicHash::Sha1)
                .toHex()
                .left(16);
        m_cachePath = QDir(cacheFolder).filePath(QStringLiteral("pronouncing-%1.index").arg(name));
        if (mapCache(m_cachePath, header))
            return;
    }
    build(dictionary);
    if (!m_cachePath.isEmpty())
        writeCache(m_cachePath, header);
}

DictionaryIndex::~DictionaryIndex() = default;
DictionaryIndex::DictionaryIndex(DictionaryIndex&&) noexcept = default;
DictionaryIndex& DictionaryIndex::operator=(DictionaryIndex&&) noexcept = default;

bool DictionaryIndex::mapCache(const QString& path, QByteArrayView header) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file->size();
    const qint64 countAt = header.size();
    if (size < countAt + qint64(sizeof(quint32)))
        return false;
    const uchar* bytes = file->map(0, size);
    if (!bytes || std::memcmp(bytes, header.data(), header.size()) != 0)
        return false;
    quint32 count = 0;
    std::memcpy(&count, bytes + countAt, sizeof count);
    // A cache cut short by a full disk or a crash is ignored, not half read.
    if (size != countAt + qint64(sizeof count) * (qint64(count) + 1))
        return false;
    m_offsets = reinterpret_cast<const quint32*>(bytes + countAt + sizeof count);
    m_count = count;
    m_cacheFile = std::move(file);
    return true;
}

void DictionaryIndex::build(QByteArrayView dictionary) {
    const char* data = dictionary.data();
    const qsizetype size = dictionary.size();
    for (qsizetype at = 0; at < size;) {
        qsizetype end = at;
        while (end < size && data[end] != '\n')
            ++end;
        qsizetype key = at;
        while (key < end && isBlank(data[key]))
            ++key;
        qsizetype afterKey = key;
        while (afterKey < end && !isBlank(data[afterKey]))
            ++afterKey;
        qsizetype phone = afterKey;
        while (phone < end && isBlank(data[phone]))
            ++phone;
        // A key without phones is no entry.
        if (afterKey > key && phone < end)
            m_inMemory.push_back(quint32(key));
        at = end + 1;
    }
    // Stable, so of two lines with the same key the first is found first, as a reader of the file
    // would take it.
    std::stable_sort(m_inMemory.begin(), m_inMemory.end(), [dictionary](quint32 a, quint32 b) {
        const qsizetype end = dictionary.size();
        qsizetype bEnd = b;
        while (bEnd < end && !isBlank(dictionary[bEnd]) && dictionary[bEnd] != '\n')
            ++bEnd;
        return compareKey(dictionary, a, dictionary.sliced(b, bEnd - b)) < 0;
    });
    m_offsets = m_inMemory.data();
    m_count = quint32(m_inMemory.size());
    m_built = true;
}

void DictionaryIndex::writeCache(const QString& path, QByteArrayView header) const {
    // A cache that cannot be written costs the next run the build again, nothing more.
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QByteArray data = header.toByteArray();
    append(data, m_count);
    data.append(reinterpret_cast<const char*>(m_offsets), qsizetype(m_count) * qsizetype(sizeof(quint32)));
    // A full disk leaves the old cache, or none; never a short one.
    QString ignored;
    replaceFile(path, data, &ignored);
}

int DictionaryIndex::compareKey(QByteArrayView dictionary, quint32 offset, QByteArrayView key) {
    const qsizetype end = dictionary.size();
    qsizetype at = offset;
    for (qsizetype i = 0;; ++i, ++at) {
        const bool lineKeyEnds = at >= end || isBlank(dictionary[at]) || dictionary[at] == '\n';
        const bool keyEnds = i >= key.size();
        if (lineKeyEnds || keyEnds)
            return keyEnds ? (lineKeyEnds ? 0 : 1) : -1;
        const uchar a = uchar(folded(dictionary[at]));
        const uchar b = uchar(folded(key[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
}

} // namespace telvar::pronounce
