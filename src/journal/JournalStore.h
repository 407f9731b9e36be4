#pragma once

#include "journal/JournalSession.h"
#include "session/SessionEnd.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

namespace telvar {

// The session journal: an SQLite file of every session with its polls and words. One store is one
// connection, to be used on one thread only; a writer thread and a reader each open their own.
class JournalStore {
public:
    JournalStore();
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    // sessions.db in the user's application data folder.
    static QString defaultPath();

    // Opens the journal at `path`, creating it when it is not there. A file that is not a journal (or no
    // database at all) is renamed aside with the date in its name and a new journal begun; `setAside`
    // then names where it went. False when no journal can be had here; errorString() says why.
    bool open(const QString& path, QString* setAside = nullptr);
    bool isOpen() const { return m_open; }
    QString errorString() const { return m_error; }

    // The layout of the tables this program writes, kept in PRAGMA user_version. 0 is the first journal,
    // without device, operator and uuid; 1 does not yet know which sessions went to a team journal; open()
    // brings an older journal up to this in place.
    static constexpr int kSchemaVersion = 2;

    // A new session with a UUID of its own, its end reason "interrupted" until record() says otherwise; 0
    // on failure. `device` is the Telvar X's serial number, `operatorName` user@host.
    qint64 begin(const QString& started, int windowSeconds, const QString& question, const QString& device,
                 const QString& operatorName);
    // Adds polls and words to session `id` and sets its answer so far, in one transaction; with `end`, the
    // session is finished.
    bool record(qint64 id, const std::vector<SessionPoll>& polls, const std::vector<SessionWord>& words,
                const QString& answer, std::optional<SessionEnd> end = std::nullopt);

    // Every session without its polls and words, oldest first.
    std::vector<JournalSession> list();
    // The sessions with these ids (all when none is given), whole, oldest first; ids not in the journal
    // are left out.
    std::optional<std::vector<JournalSession>> read(const QList<qint64>& ids = {});
    // The finished sessions that have not gone to the team journal `server` yet, whole, oldest first, at
    // most `limit`. A session counts as finished once it has its end, or when its window is long past (a
    // program that died while asking).
    std::optional<std::vector<JournalSession>> waitingFor(const QString& server, int limit);
    // How many finished sessions wait for `server`.
    std::optional<int> waitingCount(const QString& server);
    // Notes that the sessions with these UUIDs are in the team journal `server`.
    bool markPushed(const QStringList& uuids, const QString& server);

    // Deletes the sessions; returns how many there were.
    std::optional<int> remove(const QList<qint64>& ids);

private:
    // `foreign` tells that the file is another program's database.
    bool prepare(bool* foreign);
    // Brings the tables from `version` up to kSchemaVersion in one transaction.
    bool migrate();
    bool upgradeFrom(int version);
    bool fail(const QSqlError& error);
    bool execute(const QString& statement);
    bool readDetails(JournalSession& session);
    // The sessions (without polls and words) that `condition` picks, oldest first; the whole journal
    // when it is empty.
    std::vector<JournalSession> select(const QString& condition, const QVariantList& values, int limit = -1);

    QString m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
    QString m_error;
    QSqlError m_sqlError;
};

} // namespace telvar
