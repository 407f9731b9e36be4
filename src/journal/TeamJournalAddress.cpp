// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/TeamJournalAddress.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace telvar {

namespace {

// How long a connection may take before the server counts as unreachable, unless the URL says.
constexpr int kConnectTimeoutSeconds = 5;

const QString kForm = QStringLiteral("postgresql://USER@HOST:PORT/DATABASE");
const QString kNoPassword =
    QStringLiteral("the team journal's address holds a password; give it to libpq in ~/.pgpass or "
                   "PGPASSWORD instead, and leave it out of the address");

// libpq's keywords that hold no secret and that one server's address may set. Anything else is refused
// rather than passed on: an unknown word could be a password typed in the wrong place, and some (service,
// options) would make libpq connect elsewhere or as someone other than the address shows.
const QStringList kPassedOn = {
    QStringLiteral("application_name"),
    QStringLiteral("channel_binding"),
    QStringLiteral("client_encoding"),
    QStringLiteral("connect_timeout"),
    QStringLiteral("fallback_application_name"),
    QStringLiteral("gssencmode"),
    QStringLiteral("hostaddr"),
    QStringLiteral("keepalives"),
    QStringLiteral("keepalives_count"),
    QStringLiteral("keepalives_idle"),
    QStringLiteral("keepalives_interval"),
    QStringLiteral("krbsrvname"),
    QStringLiteral("passfile"),
    QStringLiteral("require_auth"),
    QStringLiteral("requirepeer"),
    QStringLiteral("ssl_max_protocol_version"),
    QStringLiteral("ssl_min_protocol_version"),
    QStringLiteral("sslcert"),
    QStringLiteral("sslcompression"),
    QStringLiteral("sslcrl"),
    QStringLiteral("sslcrldir"),
    QStringLiteral("sslkey"),
    QStringLiteral("sslmode"),
    QStringLiteral("sslrootcert"),
    QStringLiteral("sslsni"),
    QStringLiteral("target_session_attrs"),
    QStringLiteral("tcp_user_timeout"),
};

bool fail(QString* error, const QString& why) {
    *error = QStringLiteral("the team journal's address %1 (%2)").arg(why, kForm);
    return false;
}

bool refusePassword(QString* error) {
    *error = kNoPassword;
    return false;
}

// Undoes %XX; false for a % that starts no such pair.
bool decode(const QString& text, QString* decoded) {
    static const QRegularExpression strayPercent(QStringLiteral("%(?![0-9A-Fa-f]{2})"));
    if (text.contains(strayPercent))
        return false;
    *decoded = QUrl::fromPercentEncoding(text.toUtf8());
    return true;
}

// A value libpq would read whole: without what ends a value or starts the next keyword in its connection
// string (blanks, quotes, backslashes, '='), nor what Qt's driver turns into a blank (';').
bool readWhole(const QString& value) {
    for (const QChar c : value) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c == u';' || c == u'=' || c == u'\'' ||
            c == u'"' || c == u'\\')
            return false;
    }
    return true;
}

// One server: a name, an IP address, or a socket's folder; no list (libpq splits at commas).
bool goodHost(const QString& host) {
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9._-]*$"));
    static const QRegularExpression ipv6(QStringLiteral("^[0-9A-Fa-f:.]+$"));
    if (host.startsWith(u'/'))
        return readWhole(host) && !host.contains(u',');
    return host.contains(name) || (host.contains(u':') && host.contains(ipv6));
}

bool goodPort(const QString& text, int* port) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!text.contains(digits))
        return false;
    *port = text.toInt();
    return *port >= 1 && *port <= 65535;
}

bool parseInto(const QString& url, TeamJournalAddress& address, QString* error) {
    const qsizetype schemeEnd = url.indexOf(QLatin1String("://"));
    const QString scheme = schemeEnd < 0 ? QString() : url.left(schemeEnd);
    if (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))
        return fail(error, QStringLiteral("does not begin with postgresql://"));
    QString rest = url.mid(schemeEnd + 3);
    if (rest.contains(u'#'))
        return fail(error, QStringLiteral("holds a '#'"));
    const qsizetype authorityEnd = rest.indexOf(QRegularExpression(QStringLiteral("[/?]")));
    const QString authority = authorityEnd < 0 ? rest : rest.left(authorityEnd);
    rest = authorityEnd < 0 ? QString() : rest.mid(authorityEnd);

    // The user comes before the first '@', as libpq reads it; a ':' there starts a password.
    QString hostPort = authority;
    const qsizetype at = authority.indexOf(u'@');
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        hostPort = authority.mid(at + 1);
        if (userInfo.contains(u':'))
            return refusePassword(error);
        if (!decode(userInfo, &address.user))
            return fail(error, QStringLiteral("has a '%' in the user's name that is no %XX"));
        if (address.user.contains(u':'))
            return refusePassword(error);
        if (hostPort.contains(u'@'))
            return fail(error, QStringLiteral("has more than one '@'"));
    }

    QString portText;
    bool portGiven = false;
    if (hostPort.startsWith(u'[')) {
        const qsizetype close = hostPort.indexOf(u']');
        if (close < 0)
            return fail(error, QStringLiteral("opens an IPv6 address with '[' and never closes it"));
        address.host = hostPort.mid(1, close - 1);
        const QString after = hostPort.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(u':'))
            return fail(error, QStringLiteral("has something other than ':PORT' after the IPv6 address"));
        portGiven = !after.isEmpty();
        portText = after.mid(1);
        if (!address.host.contains(u':') || !goodHost(address.host))
            return fail(error, QStringLiteral("has no IPv6 address between '[' and ']'"));
    } else {
        const qsizetype colon = hostPort.indexOf(u':');
        portGiven = colon >= 0;
        portText = portGiven ? hostPort.mid(colon + 1) : QString();
        if (!decode(portGiven ? hostPort.left(colon) : hostPort, &address.host) ||
            address.host.contains(u':') || !goodHost(address.host))
            return fail(error, QStringLiteral("names no host that can be looked up (letters, digits, '.', "
                                              "'-', or a socket's folder)"));
    }
    if (portGiven && !goodPort(portText, &address.port))
        return fail(error, QStringLiteral("has a port that is no number from 1 to 65535"));

    const qsizetype queryStart = rest.indexOf(u'?');
    const QString path = queryStart < 0 ? rest : rest.left(queryStart);
    const QString query = queryStart < 0 ? QString() : rest.mid(queryStart + 1);
    if (!path.isEmpty() && !decode(path.mid(1), &address.database))
        return fail(error, QStringLiteral("has a '%' in the database's name that is no %XX"));

    QStringList options;
    bool timeoutGiven = false;
    for (const QString& item : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        QString name, value;
        if (equals < 0 || !decode(item.left(equals), &name) || !decode(item.mid(equals + 1), &value))
            return fail(error, QStringLiteral("has a parameter that is no NAME=VALUE"));
        if (name.contains(QLatin1String("password"), Qt::CaseInsensitive))
            return refusePassword(error);
        const bool known = kPassedOn.contains(name) || name == QLatin1String("host") ||
                           name == QLatin1String("port") || name == QLatin1String("dbname") ||
                           name == QLatin1String("user");
        if (!known) {
            // Only a word that looks like a keyword is named: anything else could be a password typed
            // in the wrong place.
            static const QRegularExpression keyword(QStringLiteral("^[a-z_]{1,40}$"));
            return fail(error, name.contains(keyword)
                                   ? QStringLiteral("has the parameter %1, which is not passed on").arg(name)
                                   : QStringLiteral("has a parameter that is not passed on"));
        }
        if (value.contains(QLatin1String("password"), Qt::CaseInsensitive))
            return refusePassword(error);
        if (value.isEmpty() || !readWhole(value))
            return fail(error, QStringLiteral("gives %1 a value that is empty or holds blanks, quotes, "
                                              "';', '=' or '\\'")
                                   .arg(name));
        if (name == QLatin1String("host")) {
            address.host = value;
            if (!goodHost(value))
                return fail(error, QStringLiteral("names no host that can be looked up in host="));
        } else if (name == QLatin1String("port")) {
            if (!goodPort(value, &address.port))
                return fail(error, QStringLiteral("has a port that is no number from 1 to 65535"));
        } else if (name == QLatin1String("dbname")) {
            address.database = value;
        } else if (name == QLatin1String("user")) {
            if (value.contains(u':'))
                return refusePassword(error);
            address.user = value;
        } else {
            timeoutGiven = timeoutGiven || name == QLatin1String("connect_timeout");
            options << name + u'=' + value;
        }
    }
    if (address.database.isEmpty() || address.database.contains(u'/'))
        return fail(error, QStringLiteral("names no database"));
    if (!readWhole(address.user) || !readWhole(address.database))
        return fail(error,
                    QStringLiteral("has a user or database name with blanks, quotes, ';', '=' or '\\'"));
    if (!address.onSocket())
        address.host = address.host.toLower(); // as it was always named in the local journal
    if (!timeoutGiven)
        options << QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds);
    address.options = options.join(u';');
    return true;
}

} // namespace

std::optional<TeamJournalAddress> TeamJournalAddress::parse(const QString& url, QString* error) {
    TeamJournalAddress address;
    if (!parseInto(url, address, error))
        return std::nullopt;
    return address;
}

QString TeamJournalAddress::name() const {
    QString name = user.isEmpty() ? QString() : user + u'@';
    name += host.isEmpty() ? QStringLiteral("localhost") : host;
    if (port > 0)
        name += u':' + QString::number(port);
    return name + u'/' + database;
}

QString TeamJournalAddress::shown() const {
    QString shown = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        shown += user + u'@';
    if (!onSocket())
        shown += host.contains(u':') ? u'[' + host + u']' : host;
    if (port > 0)
        shown += u':' + QString::number(port);
    shown += u'/' + database;
    return onSocket() ? shown + QStringLiteral("?host=") + host : shown;
}

QString TeamJournalAddress::where() const {
    if (onSocket())
        return QStringLiteral("%1 on %2").arg(database, host);
    QString where = host.isEmpty() ? QStringLiteral("localhost") : host;
    if (port > 0)
        where += u':' + QString::number(port);
    return where + u'/' + database;
}

} // namespace telvar
