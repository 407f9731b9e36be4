#include "pronounce/PronouncingDictionary.h"

#include <QFile>

namespace telvar::pronounce {

namespace {

// Stress digits, where a copy of the dictionary has them ("AH0"), become the phone's stress.
Phone phoneOf(QByteArray field) {
    Phone phone;
    const char last = field.back();
    if (last >= '0' && last <= '2') {
        phone.stress = last - '0';
        field.chop(1);
    }
    phone.name = QString::fromLatin1(field);
    return phone;
}

} // namespace

PronouncingDictionary::PronouncingDictionary(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    for (const QByteArray& line : content.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() < 2 || fields.first().isEmpty())
            continue;
        Phones phones;
        for (qsizetype i = 1; i < fields.size(); ++i) {
            if (!fields[i].isEmpty())
                phones.append(phoneOf(fields[i]));
        }
        // The first of two lines with the same key wins, as a reader of the file would take it.
        const QString key = QString::fromLatin1(fields.first()).toLower();
        if (!m_entries.contains(key))
            m_entries.insert(key, std::move(phones));
    }
}

std::optional<Phones> PronouncingDictionary::lookup(const QString& key) const {
    const auto it = m_entries.constFind(key.toLower());
    if (it == m_entries.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace telvar::pronounce
