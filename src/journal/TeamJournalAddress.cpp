// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/TeamJournalAddress.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace telvar {

namespace {

// How long a connection may take before the server counts as unreachable, unless the URL says.
constexpr int kConnectTimeoutSeconds = 5;

// libpq's value quoting: a value with blanks or quotes is put in single quotes.
QString quoted(QString value) {
    if (!value.isEmpty() && !value.contains(u' ') && !value.contains(u'\'') && !value.contains(u'\\'))
        return value;
    value.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    value.replace(QStringLiteral("'"), QStringLiteral("\\'"));
    return u'\'' + value + u'\'';
}

} // namespace

std::optional<TeamJournalAddress> TeamJournalAddress::parse(const QString& url, QString* error) {
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() ||
        (parsed.scheme() != QLatin1String("postgresql") && parsed.scheme() != QLatin1String("postgres"))) {
        *error = QStringLiteral("%1 is no PostgreSQL URL (postgresql://USER@HOST:PORT/DATABASE)").arg(url);
        return std::nullopt;
    }
    if (!parsed.password().isEmpty()) {
        *error = QStringLiteral("the team journal's URL holds a password; put it in ~/.pgpass or PGPASSWORD "
                                "instead");
        return std::nullopt;
    }
    TeamJournalAddress address;
    address.host = parsed.host();
    address.port = parsed.port();
    address.user = parsed.userName();
    address.database = parsed.path().mid(1);
    if (address.database.isEmpty() || address.database.contains(u'/')) {
        *error = QStringLiteral("%1 names no database (postgresql://USER@HOST:PORT/DATABASE)").arg(url);
        return std::nullopt;
    }
    QStringList options;
    bool timeoutGiven = false;
    for (const auto& [name, value] : QUrlQuery(parsed).queryItems(QUrl::FullyDecoded)) {
        if (name == QLatin1String("password")) {
            *error = QStringLiteral("the team journal's URL holds a password; put it in ~/.pgpass or "
                                    "PGPASSWORD instead");
            return std::nullopt;
        }
        if (name.isEmpty() || !name.contains(QRegularExpression(QStringLiteral("^[a-z_]+$")))) {
            *error = QStringLiteral("%1 is no parameter of a PostgreSQL URL").arg(name);
            return std::nullopt;
        }
        if (name == QLatin1String("host")) {
            address.host = value;
            continue;
        }
        if (name == QLatin1String("port")) {
            address.port = value.toInt();
            continue;
        }
        timeoutGiven = timeoutGiven || name == QLatin1String("connect_timeout");
        options << name + u'=' + quoted(value);
    }
    if (!timeoutGiven)
        options << QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds);
    address.options = options.join(u';');
    return address;
}

QString TeamJournalAddress::name() const {
    QString name = user.isEmpty() ? QString() : user + u'@';
    name += host.isEmpty() ? QStringLiteral("localhost") : host;
    if (port > 0)
        name += u':' + QString::number(port);
    return name + u'/' + database;
}

} // namespace telvar
