// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace telvar {

// Where the team journal lives, from a URL in libpq's form:
//   postgresql://USER@HOST:PORT/DATABASE?sslmode=require&connect_timeout=5
// A Unix socket's folder goes in `host=` among the parameters (postgresql://USER@/DATABASE?host=/run/pg).
// Every other parameter is passed to libpq as it is. A password is never part of it: libpq takes it from
// ~/.pgpass or PGPASSWORD, so it is neither kept in the settings nor shown.
struct TeamJournalAddress {
    QString host; // a name, an address, or a socket folder; empty for libpq's default
    int port = -1;
    QString user;
    QString database;
    QString options; // libpq parameters, "name=value;name=value" as Qt's PostgreSQL driver takes them

    // Reads `url`; none, with the reason in *error, when it is not a team journal's URL.
    static std::optional<TeamJournalAddress> parse(const QString& url, QString* error);
    // USER@HOST:PORT/DATABASE, for messages and for telling one server from another.
    QString name() const;
};

} // namespace telvar
