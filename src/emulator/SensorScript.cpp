// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/SensorScript.h"

#include <QStringList>

namespace telvar {

namespace {
// A whole non-negative decimal number, nothing else (no sign, no blanks inside).
std::optional<qint64> wholeNumber(QStringView text) {
    if (text.isEmpty() || text.size() > 12)
        return std::nullopt;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return text.toLongLong();
}
} // namespace

std::optional<SensorScript> SensorScript::parse(const QString& list, QString* error) {
    SensorScript script;
    const QStringList items = list.split(u',');
    for (const QString& raw : items) {
        const QString item = raw.trimmed();
        const auto fail = [&](const QString& why) {
            if (error)
                *error = QStringLiteral("sensor list \"%1\": %2").arg(list, why);
            return std::nullopt;
        };
        if (item.isEmpty())
            return fail(QStringLiteral("empty item (write values like 5,7,1200x100 or 5/40/90x3)"));
        // A single zero repeated ("0x10") reads as a hexadecimal number to anyone used to C; it is taken
        // for neither, and the three-reading form says the same unmistakably.
        if (item.startsWith(QLatin1String("0x")))
            return fail(QStringLiteral("\"%1\" looks like a hexadecimal number; values are decimal (zero "
                                       "repeated: 0/0/0xCOUNT)")
                            .arg(item));
        const qsizetype times = item.indexOf(u'x');
        const QStringList parts = item.left(times < 0 ? item.size() : times).split(u'/');
        if (parts.size() != 1 && parts.size() != 3)
            return fail(QStringLiteral("\"%1\" holds one reading or three (R1/R2/R3)").arg(item));
        Readings values{};
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const auto value = wholeNumber(parts.at(i));
            if (!value)
                return fail(
                    QStringLiteral("\"%1\" is not a value, R1/R2/R3 or either followed by xCOUNT").arg(item));
            if (*value > kMaxValue)
                return fail(QStringLiteral("value %1 is above %2").arg(*value).arg(kMaxValue));
            values[i] = static_cast<int>(*value);
        }
        qint64 count = 1;
        if (times >= 0) {
            const auto parsed = wholeNumber(QStringView(item).mid(times + 1));
            if (!parsed || *parsed < 1)
                return fail(
                    QStringLiteral("\"%1\": the count after x must be a number of 1 or more").arg(item));
            count = *parsed;
        }
        script.m_runs.push_back({values, count});
    }
    return script;
}

SensorScript::Readings SensorScript::next() {
    if (exhausted())
        return {};
    const Readings value = m_runs[m_run].values;
    if (++m_usedOfRun >= m_runs[m_run].count) {
        ++m_run;
        m_usedOfRun = 0;
    }
    return value;
}

} // namespace telvar
