// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"
#include "journal/TeamJournalAddress.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace telvar {

// The journal a team shares on a PostgreSQL server: the sessions of every computer that pushes to it,
// each kept once under its UUID. The team's id of a session is the order it arrived in. One object is one
// connection, used on the thread that made it.
class TeamJournal {
public:
    // The layout of the tables this program writes, kept in the row of telvar_schema. A server whose
    // tables are newer is refused rather than written into.
    static constexpr int kSchemaVersion = 1;

    TeamJournal();
    ~TeamJournal();
    TeamJournal(const TeamJournal&) = delete;
    TeamJournal& operator=(const TeamJournal&) = delete;

    // Connects and creates or upgrades the tables. False, with errorString(), when the server cannot be
    // reached, refuses the user, or holds tables of a newer version.
    bool open(const TeamJournalAddress& address);
    QString errorString() const { return m_error; }

    // Adds the sessions that the team journal does not hold yet, with their polls and words, in one
    // transaction: all or none of them arrive, and a session pushed again is left as it is. The number
    // newly added, or none on failure.
    std::optional<int> push(const std::vector<JournalSession>& sessions);

    // Every session without its polls and words, in the order they arrived.
    std::vector<JournalSession> list();
    // The sessions with these team ids (all when none is given), whole, in the order they arrived.
    std::optional<std::vector<JournalSession>> read(const QList<qint64>& ids = {});

private:
    bool prepareTables();
    bool upgradeFrom(int version);
    bool insert(const JournalSession& session, bool* added);
    bool readDetails(std::vector<JournalSession>& sessions);
    bool execute(const QString& statement);
    bool fail(const QString& text);

    QString m_connection;
    QSqlDatabase m_db;
    QString m_error;
};

} // namespace telvar
