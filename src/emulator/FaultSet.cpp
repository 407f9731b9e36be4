// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/FaultSet.h"

namespace telvar {

namespace {
std::optional<qint64> positiveNumber(const QString& text, qint64 ceiling) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < 0 || value > ceiling || text.startsWith(u'+') || text.trimmed() != text)
        return std::nullopt;
    return value;
}
bool isCommandLetter(QChar character) {
    return character.unicode() >= 0x21 && character.unicode() <= 0x7e;
}
} // namespace

QString FaultSet::add(const QString& spec) {
    const qsizetype colon = spec.indexOf(u':');
    const QString kind = spec.left(colon);
    const QString argument = colon < 0 ? QString() : spec.mid(colon + 1);
    const QString usage = QStringLiteral("fault \"%1\": ").arg(spec);

    if (kind == QLatin1String("drop")) {
        if (argument.size() != 1 || !isCommandLetter(argument.at(0)))
            return usage + QStringLiteral("drop needs one command letter, e.g. drop:D");
        m_dropped.insert(argument.at(0).toLatin1());
        return {};
    }
    if (kind == QLatin1String("unplug-after")) {
        const auto count = positiveNumber(argument, 1'000'000'000);
        if (!count || *count < 1)
            return usage + QStringLiteral("unplug-after needs a number of reports of 1 or more");
        m_unplugAfter = count;
        return {};
    }
    if (kind == QLatin1String("refuse-after")) {
        // 0 is a device that is on the bus but takes nothing at all.
        const auto count = positiveNumber(argument, 1'000'000'000);
        if (!count)
            return usage + QStringLiteral("refuse-after needs a number of reports of 0 or more");
        m_refuseAfter = count;
        return {};
    }
    if (kind == QLatin1String("delay")) {
        // "delay:D:1500" holds back the replies to one command; "delay:1500" every reply.
        const bool oneLetter = argument.size() > 2 && argument.at(1) == u':';
        const auto ms = positiveNumber(oneLetter ? argument.mid(2) : argument, kLongestDelayMs);
        if (!ms || (oneLetter && !isCommandLetter(argument.at(0))))
            return usage + QStringLiteral("delay needs milliseconds from 0 to %1, after a command letter "
                                          "and a colon to delay one command's replies")
                               .arg(kLongestDelayMs);
        if (oneLetter)
            m_letterDelays[argument.at(0).toLatin1()] = std::chrono::milliseconds(*ms);
        else
            m_delay = std::chrono::milliseconds(*ms);
        return {};
    }
    if (kind == QLatin1String("unit-pace")) {
        const auto ms = positiveNumber(argument, kLongestDelayMs);
        if (!ms)
            return usage + QStringLiteral("unit-pace needs the milliseconds the unit takes over a word, "
                                          "from 0 to %1")
                               .arg(kLongestDelayMs);
        m_unitPace = std::chrono::milliseconds(*ms);
        return {};
    }
    if (kind == QLatin1String("unit-reply")) {
        const auto value = positiveNumber(argument, 255);
        if (!value)
            return usage + QStringLiteral("unit-reply needs the value of reply byte 1, from 0 to 255");
        m_unitReply = static_cast<quint8>(*value);
        return {};
    }
    if (spec == QLatin1String("unit-silent")) {
        m_unitSilent = true;
        return {};
    }
    return usage + QStringLiteral("unknown fault; use drop:LETTER, unplug-after:N, refuse-after:N, delay:MS, "
                                  "delay:LETTER:MS, unit-pace:MS, unit-silent or unit-reply:N");
}

} // namespace telvar
