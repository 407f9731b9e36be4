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
            return fail(QStringLiteral("empty item (write values like 5,7,1200x100)"));
        const qsizetype times = item.indexOf(u'x');
        const auto value = wholeNumber(QStringView(item).left(times < 0 ? item.size() : times));
        if (!value)
            return fail(QStringLiteral("\"%1\" is not a value or VALUExCOUNT").arg(item));
        if (*value > kMaxValue)
            return fail(QStringLiteral("value %1 is above %2").arg(*value).arg(kMaxValue));
        qint64 count = 1;
        if (times >= 0) {
            const auto parsed = wholeNumber(QStringView(item).mid(times + 1));
            if (!parsed || *parsed < 1)
                return fail(
                    QStringLiteral("\"%1\": the count after x must be a number of 1 or more").arg(item));
            count = *parsed;
        }
        script.m_runs.push_back({static_cast<int>(*value), count});
    }
    return script;
}

int SensorScript::next() {
    if (exhausted())
        return 0;
    const int value = m_runs[m_run].value;
    if (++m_usedOfRun >= m_runs[m_run].count) {
        ++m_run;
        m_usedOfRun = 0;
    }
    return value;
}

} // namespace telvar
