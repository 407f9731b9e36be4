// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"
#include "journal/RunningSessions.h"
#include "session/SessionEnd.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace telvar {

// The session journal: an SQLite file of every session with its polls and words. Every program that
// uses a journal takes its lock file for each step and holds an SQLite connection only for that step,
// so at most one connection to a journal is open anywhere. SQLite's own locks cannot be trusted for
// this: they are POSIX locks, which a process loses the moment any of its descriptors of the file is
// closed (a file dialog that peeks into the folder is enough), and a second program would then take
// itself for the last one and remove the log under the first. One store serves one thread.
class JournalStore {
public:
    // A step waits this long for another program's step; a holder needs milliseconds.
    static constexpr std::chrono::milliseconds kWaitLimit{10000};

    JournalStore() = default;
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    // sessions.db in the user's application data folder.
    static QString defaultPath();

    // For the writer: opens the journal at `path` (where its links lead), creating it (readable by its
    // owner only) when it is not there; an empty file is a new journal. A file is ours only when SQLite's
    // header carries our application id, or, from before the id, when it has our tables (it is given the
    // id). Anything else (text, another program's database, one of the program's other files, see
    // ownfiles) is refused and left byte for byte as it is. Only our own journal that SQLite finds
    // damaged is renamed aside with the date in its name and a new one begun; `setAside` then names
    // where it went. False when no journal can be had here; errorString() says why.
    bool open(const QString& path, QString* setAside = nullptr);
    // For a reader: nothing is created, written or renamed; an absent journal is an empty one. False when
    // the file is no journal of ours.
    bool openToRead(const QString& path);
    // Whether open() would take `path` rather than refuse it, for a command that would otherwise learn
    // only after its work; nothing is made or changed. False, with errorString(), for what open()
    // refuses as no journal of ours.
    bool mayOpen(const QString& path);
    bool isOpen() const { return !m_path.isEmpty(); }
    QString errorString() const { return m_error; }

    // The layout of the tables this program writes, kept in PRAGMA user_version. 0 is the first journal,
    // without device, operator and uuid; 1 does not yet note which sessions went to a team journal; 2
    // gives the number of a deleted last session to the next one; open() brings an older journal up to
    // this in place, and refuses a newer one, leaving it as it is.
    static constexpr int kSchemaVersion = 3;

    // A new session with a UUID and a number of its own, never one a deleted session had, its end reason
    // "interrupted" until record() says otherwise; 0 on failure. `device` is the Telvar X's serial number,
    // `operatorName` user@host. A journal that was deleted since the last session is begun anew. The
    // session counts as running (runningAmong) until record() is given its end.
    qint64 begin(const QString& started, int windowSeconds, const QString& question, const QString& device,
                 const QString& operatorName);
    // Adds polls and words to session `id`, begun by this store, and sets its answer so far, in one
    // transaction; with `end`, the session is finished and no longer running, written or not. Writes only
    // to the session's own row, known by its UUID as well as its number: when that row is gone (deleted),
    // nothing is written and the session is no longer recorded here (writesSession). Fails too when the
    // journal was deleted or replaced since the session began. Once a batch could not be written, the
    // session ends as "readings missing" whatever `end` says, so that its row never looks whole.
    bool record(qint64 id, const std::vector<SessionPoll>& polls, const std::vector<SessionWord>& words,
                const QString& answer, std::optional<SessionEnd> end = std::nullopt);
    // Whether record() still writes session `id`: begun here, not ended, its row not gone.
    bool writesSession(qint64 id) const { return m_recordings.contains(id); }

    // The sessions among `ids` that a live program is recording now, from their begin() to their end
    // (this store's own included), in the order given; nullopt when that cannot be told (errorString()).
    // A session left without its end by a program that was killed is not running. The locks that tell
    // are kept in a file beside the journal, `<journal>.running`.
    std::optional<QList<qint64>> runningAmong(const QList<qint64>& ids);

    // Every session without its polls and words, oldest first. One a live program is still recording
    // ends as "running".
    std::vector<JournalSession> list();
    // The sessions with these ids (all when none is given), whole, oldest first; ids not in the journal
    // are left out.
    std::optional<std::vector<JournalSession>> read(const QList<qint64>& ids = {});
    // The finished sessions that have not gone to the team journal `server` yet, whole, oldest first, at
    // most `limit`. A session counts as finished once it has its end, or when its window is long past and
    // no live program records it (its program died while asking). A session that gets its end after a
    // push waits to go again.
    std::optional<std::vector<JournalSession>> waitingFor(const QString& server, int limit);
    // How many finished sessions wait for `server`.
    std::optional<int> waitingCount(const QString& server);
    // Notes that the sessions with these UUIDs are in the team journal `server`.
    bool markPushed(const QStringList& uuids, const QString& server);

    // Deletes the sessions; returns how many there were. Deletes none when any of them is running
    // (errorString() then says "session N is still running").
    std::optional<int> remove(const QList<qint64>& ids);

private:
    enum class Use { Read, Write };
    // Runs `work` on a connection of its own, under the journal's lock; false when the step failed.
    bool step(Use use, const std::function<bool(QSqlDatabase&)>& work);
    bool create(QString* setAside);
    // Whether the file is ours: `foreign` tells that it is not, and is to be left as it is.
    bool checkOwner(QSqlDatabase& db, bool* foreign);
    // What the header alone says of the file at m_path: nothing when SQLite must be asked.
    std::optional<bool> checkKind(bool* foreign);
    // False, with m_error, when `path` is no file, or one of the program's other files.
    bool mayBeAJournal(const QString& path);
    bool prepare(QSqlDatabase& db);
    // Brings the tables from `version` up to kSchemaVersion in one transaction.
    bool migrate(QSqlDatabase& db, int version);
    bool upgradeFrom(QSqlDatabase& db, int version);
    bool stillTheSameFile();
    bool fail(const QSqlError& error);
    bool readDetails(QSqlDatabase& db, JournalSession& session);
    void markRunning(std::vector<JournalSession>& sessions);
    // The condition of a session waiting for `server` (bound once, as the query's first value).
    bool waitingClause(QSqlDatabase& db, const QString& server, QString* clause);

    // Puts the running-session locks beside the journal's path.
    RunningSessions& running();

    struct Recording {
        QString uuid;
        bool readingsLost = false;
    };

    QString m_path;
    RunningSessions m_running;
    std::map<qint64, Recording> m_recordings;          // the sessions begun here and not yet ended
    std::optional<std::pair<quint64, quint64>> m_file; // device and inode of the writer's journal
    QString m_error;
    QSqlError m_sqlError;
};

} // namespace telvar
