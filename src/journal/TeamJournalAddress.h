// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace telvar {

// Where the team journal lives, from a URL in libpq's form:
//   postgresql://USER@HOST:PORT/DATABASE?sslmode=require&connect_timeout=5
// A Unix socket's folder goes in `host=` among the parameters (postgresql://USER@/DATABASE?host=/run/pg).
// A password is never part of it: libpq takes it from ~/.pgpass or PGPASSWORD, so it is neither kept in
// the settings nor shown. The URL is taken apart here, before anything shows it, and only the parts are
// shown; parameters are libpq's own keywords that hold no secret, with values that libpq cannot read as
// the start of another keyword.
struct TeamJournalAddress {
    QString host; // a name, an address, or a socket folder; empty for libpq's default
    int port = -1;
    QString user;
    QString database;
    QString options; // libpq parameters, "name=value;name=value" as Qt's PostgreSQL driver takes them

    // Reads `url`; none, with the reason in *error, when it is not a team journal's URL. The reason never
    // repeats the URL, which may hold a password.
    static std::optional<TeamJournalAddress> parse(const QString& url, QString* error);
    // USER@HOST:PORT/DATABASE, for telling one server from another in the local journal. Kept as it
    // always was: the local journal notes under it which sessions went where.
    QString name() const;
    // postgresql://USER@HOST:PORT/DATABASE (a socket's folder as ?host=), for messages.
    QString shown() const;
    // HOST:PORT/DATABASE, for the status bar, which has no room for the user.
    QString where() const;
    // Whether the host is a Unix socket's folder rather than a name or an address.
    bool onSocket() const { return host.startsWith(u'/'); }
};

} // namespace telvar
