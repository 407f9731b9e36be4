// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/Pronouncer.h"

#include "pronounce/AllophoneRules.h"

#include <QRegularExpression>

namespace telvar::pronounce {

Pronouncer::Pronouncer(const PronouncingSources& sources, QHash<QString, QString> respellings)
    : m_dictionary(sources.dictionaryPath, sources.cacheFolder), m_fallback(sources.espeakProgram),
      m_respellings(std::move(respellings)) {}

std::optional<Phones> Pronouncer::phones(const QString& key) const {
    if (auto found = m_dictionary.lookup(key))
        return found;
    return m_fallback.read(key);
}

std::optional<QList<int>> Pronouncer::codes(const QString& text) const {
    static const QRegularExpression variant(QStringLiteral("\\(\\d+\\)$"));
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return std::nullopt;
    QList<int> codes;
    for (const QString& word : words) {
        const QString keys = m_respellings.value(word.toUpper(), word.toLower());
        for (const QString& key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const std::optional<Phones> found = phones(key);
            if (!found)
                return std::nullopt;
            QString spelling = key.toLower();
            spelling.remove(variant);
            codes << allophoneCodes(spelling, *found);
        }
    }
    return codes;
}

} // namespace telvar::pronounce
