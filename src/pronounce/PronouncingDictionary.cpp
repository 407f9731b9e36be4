// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/PronouncingDictionary.h"

#include <QFile>

namespace telvar::pronounce {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Stress digits, where a copy of the dictionary has them ("AH0"), become the phone's stress.
Phone phoneOf(QByteArrayView field) {
    Phone phone;
    const char last = field.back();
    if (last >= '0' && last <= '2') {
        phone.stress = last - '0';
        field.chop(1);
    }
    phone.name = QString::fromLatin1(field);
    return phone;
}

Phones phonesOfLine(QByteArrayView content, qsizetype at) {
    const qsizetype end = content.size();
    while (at < end && !isBlank(content[at]) && content[at] != '\n')
        ++at;
    Phones phones;
    while (at < end && content[at] != '\n') {
        while (at < end && isBlank(content[at]))
            ++at;
        const qsizetype start = at;
        while (at < end && !isBlank(content[at]) && content[at] != '\n')
            ++at;
        if (at > start)
            phones.append(phoneOf(content.sliced(start, at - start)));
    }
    return phones;
}

} // namespace

PronouncingDictionary::PronouncingDictionary(const QString& path, const QString& cacheFolder) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly) || file->size() == 0)
        return;
    const uchar* bytes = file->map(0, file->size());
    if (!bytes)
        return;
    m_content = QByteArrayView(reinterpret_cast<const char*>(bytes), file->size());
    m_file = std::move(file);
    m_index = std::make_unique<DictionaryIndex>(path, m_content, cacheFolder);
}

PronouncingDictionary::~PronouncingDictionary() = default;

std::optional<Phones> PronouncingDictionary::lookup(const QString& key) const {
    if (isEmpty())
        return std::nullopt;
    const QByteArray wanted = key.toLower().toUtf8();
    quint32 low = 0;
    quint32 high = m_index->size();
    while (low < high) {
        const quint32 middle = low + (high - low) / 2;
        if (DictionaryIndex::compareKey(m_content, m_index->offset(middle), wanted) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == m_index->size() || DictionaryIndex::compareKey(m_content, m_index->offset(low), wanted) != 0)
        return std::nullopt;
    return phonesOfLine(m_content, m_index->offset(low));
}

} // namespace telvar::pronounce
