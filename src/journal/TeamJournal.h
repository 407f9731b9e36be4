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
    // reached, refuses the user, or holds tables of a newer version. The error is the driver's and the
    // server's own text, without the address: the caller names that once.
    bool open(const TeamJournalAddress& address);
    // Only connects, as a trial of an address before it is used; the tables are left as they are.
    bool reach(const TeamJournalAddress& address);
    QString errorString() const { return m_error; }

    // What one push did to the team journal's sessions.
    struct PushCounts {
        int added = 0;        // new to the team journal
        int replaced = 0;     // held there unfinished, now finished
        int alreadyThere = 0; // held there as they are here, or more finished there
    };
    // Adds the sessions that the team journal does not hold yet, with their polls and words, in one
    // transaction: all or none of them arrive. A session the team journal holds unfinished (pushed while
    // its program stalled) is replaced whole by its finished copy, keeping its team id; any other session
    // pushed again is left as it is. None on failure.
    std::optional<PushCounts> push(const std::vector<JournalSession>& sessions);

    // Every session without its polls and words, in the order they arrived.
    std::vector<JournalSession> list();
    // The sessions with these team ids (all when none is given), whole, in the order they arrived.
    std::optional<std::vector<JournalSession>> read(const QList<qint64>& ids = {});

private:
    bool prepareTables();
    bool upgradeFrom(int version);
    enum class Arrival { Added, Replaced, AlreadyThere };
    bool insert(const JournalSession& session, Arrival* arrival);
    bool readDetails(std::vector<JournalSession>& sessions);
    bool execute(const QString& statement);
    bool fail(const QString& text);

    QString m_connection;
    QSqlDatabase m_db;
    QString m_error;
};

} // namespace telvar
