// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalStore.h"

#include "files/FileIdentity.h"
#include "files/OwnFiles.h"
#include "files/ProcessLock.h"
#include "journal/PollOutcomeText.h"
#include "journal/SessionRow.h"
#include "session/ProgramFiles.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <QUuid>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telvar {

namespace {

// "TVJ1": tells our journal from any other SQLite file that happens to lie at its path.
constexpr qint64 kApplicationId = 0x54564A31;
// SQLite's primary result codes for a file that is not a database, or a damaged one.
constexpr int kNotADatabase = 26;
constexpr int kCorrupt = 11;
const QString kLockSuffix = QStringLiteral(".lock");
const QString kRunningSuffix = QStringLiteral(".running");

// The first journal's tables; a journal of version 0 has them already.
const char* const kFirstTables[] = {
    "CREATE TABLE IF NOT EXISTS sessions (id INTEGER PRIMARY KEY, started TEXT NOT NULL,"
    " window INTEGER NOT NULL, question TEXT NOT NULL, answer TEXT NOT NULL DEFAULT '',"
    " end_reason TEXT NOT NULL DEFAULT 'interrupted')",
    "CREATE TABLE IF NOT EXISTS polls (session INTEGER NOT NULL REFERENCES sessions(id), ms INTEGER NOT NULL,"
    " reading1 INTEGER NOT NULL, reading2 INTEGER NOT NULL, reading3 INTEGER NOT NULL,"
    " word_index INTEGER NOT NULL, word TEXT NOT NULL, shown INTEGER NOT NULL, not_shown TEXT)",
    "CREATE INDEX IF NOT EXISTS polls_by_session ON polls(session)",
    "CREATE TABLE IF NOT EXISTS words (session INTEGER NOT NULL REFERENCES sessions(id), ms INTEGER NOT NULL,"
    " word_index INTEGER NOT NULL, word TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS words_by_session ON words(session)",
};

// Version 1: each session names its device, who asked, and a UUID that a copy of the journal keys it on.
const char* const kDeviceColumns[] = {
    "ALTER TABLE sessions ADD COLUMN device TEXT NOT NULL DEFAULT ''",
    "ALTER TABLE sessions ADD COLUMN operator TEXT NOT NULL DEFAULT ''",
    "ALTER TABLE sessions ADD COLUMN uuid TEXT",
};

// Version 2: which sessions went to which team journal, so a session is pushed to each server once.
const char* const kTeamPushes =
    "CREATE TABLE team_pushes (uuid TEXT NOT NULL, server TEXT NOT NULL, PRIMARY KEY (uuid, server))"
    " WITHOUT ROWID";

// Version 3: session numbers from AUTOINCREMENT, so that no session ever gets the number of one deleted
// before it (which would make it the owner of whatever still came for the deleted one). SQLite adds that
// to no table in place; the table is made anew with every session as it was.
const char* const kNumbersNeverReused[] = {
    "CREATE TABLE sessions_numbered (id INTEGER PRIMARY KEY AUTOINCREMENT, started TEXT NOT NULL,"
    " window INTEGER NOT NULL, question TEXT NOT NULL, answer TEXT NOT NULL DEFAULT '',"
    " end_reason TEXT NOT NULL DEFAULT 'interrupted', device TEXT NOT NULL DEFAULT '',"
    " operator TEXT NOT NULL DEFAULT '', uuid TEXT)",
    "INSERT INTO sessions_numbered (id, started, window, question, answer, end_reason, device,"
    " operator, uuid) SELECT id, started, window, question, answer, end_reason, device, operator, uuid"
    " FROM sessions ORDER BY id",
    "DROP TABLE sessions",
    "ALTER TABLE sessions_numbered RENAME TO sessions",
    "CREATE UNIQUE INDEX sessions_by_uuid ON sessions(uuid)",
    // Readings left without their session (by a session deleted while it was recorded) keep their number
    // from every new session too.
    "DELETE FROM sqlite_sequence WHERE name = 'sessions'",
    "INSERT INTO sqlite_sequence (name, seq) SELECT 'sessions',"
    " max(coalesce((SELECT max(id) FROM sessions), 0), coalesce((SELECT max(session) FROM polls), 0),"
    " coalesce((SELECT max(session) FROM words), 0))",
};

// A session still waiting for `server` (the bound value): finished, or its window long past, and not
// yet pushed there.
const char* const kWaiting =
    "(end_reason <> 'interrupted' OR julianday('now') - julianday(started) > (window + 60) / 86400.0)"
    " AND uuid IS NOT NULL AND NOT EXISTS (SELECT 1 FROM team_pushes p WHERE p.uuid = sessions.uuid"
    " AND p.server = ?)";

// What a listing says of a session a live program is still recording.
const char* const kRunning = "running";

QString newUuid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// An empty word is a word all the same; a null QString would be bound as NULL.
QString notNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

bool unreadable(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == kNotADatabase || code == kCorrupt;
}

QString stillRunning(const QList<qint64>& ids) {
    if (ids.size() == 1)
        return QStringLiteral("session %1 is still running").arg(ids.first());
    QStringList numbers;
    for (const qint64 id : ids)
        numbers << QString::number(id);
    return QStringLiteral("sessions %1 are still running").arg(numbers.join(QStringLiteral(", ")));
}

QString idList(const QList<qint64>& ids) {
    QStringList numbers;
    for (const qint64 id : ids)
        numbers << QString::number(id);
    return numbers.join(u',');
}

// Moves the file and what SQLite keeps beside it out of the way; never deletes anything.
bool setAsideFile(const QString& path, QString* aside) {
    const QString stem = path + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = stem + u'-' + QString::number(n);
    if (!QDir().rename(path, target))
        return false;
    for (const char* sidecar : {"-journal", "-wal", "-shm"}) {
        if (QFileInfo::exists(path + QLatin1String(sidecar)))
            QDir().rename(path + QLatin1String(sidecar), target + QLatin1String(sidecar));
    }
    *aside = target;
    return true;
}

// What lies at a journal's path, told by SQLite's header: "SQLite format 3\0" at its start and the
// application id, big-endian, at byte 68. Read here rather than through SQLite, which would roll back a
// hot journal beside a file before saying whose it is.
enum class FileKind {
    Absent,
    Empty,        // a journal nobody has written yet
    Ours,         // our id: ours even when damaged further in
    Unmarked,     // an SQLite database without an id: ours only with our tables (older journals)
    Foreign,      // another program's id
    NotADatabase, // text, garbage, or too short to say
    Unreadable,
};

constexpr char kSqliteMagic[] = "SQLite format 3"; // and its terminating zero, 16 bytes in all
constexpr qsizetype kIdOffset = 68;

FileKind kindOf(const QString& path, int* error) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return errno == ENOENT ? FileKind::Absent : FileKind::Unreadable;
    }
    char header[100] = {};
    qsizetype got = 0;
    while (got < qsizetype(sizeof header)) {
        const ssize_t n = ::read(fd, header + got, sizeof header - size_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    if (got == 0)
        return FileKind::Empty;
    if (got < kIdOffset + 4 || std::memcmp(header, kSqliteMagic, sizeof kSqliteMagic) != 0)
        return FileKind::NotADatabase;
    const quint32 id = qFromBigEndian<quint32>(header + kIdOffset);
    if (id == quint32(kApplicationId))
        return FileKind::Ours;
    return id == 0 ? FileKind::Unmarked : FileKind::Foreign;
}

// The tables and columns every journal has had since the first, which tell an older journal that has
// no id yet from any other database. One SQLite cannot read is not known to be ours.
bool hasJournalTables(QSqlDatabase& db) {
    const std::pair<const char*, QStringList> tables[] = {
        {"sessions", {"id", "started", "window", "question", "answer", "end_reason"}},
        {"polls",
         {"session", "ms", "reading1", "reading2", "reading3", "word_index", "word", "shown", "not_shown"}},
        {"words", {"session", "ms", "word_index", "word"}},
    };
    for (const auto& [table, columns] : tables) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(table))))
            return false;
        QStringList found;
        while (query.next())
            found << query.value(1).toString();
        for (const QString& column : columns) {
            if (!found.contains(column))
                return false;
        }
    }
    return true;
}

} // namespace

QString JournalStore::defaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("sessions.db"));
}

bool JournalStore::open(const QString& path, QString* setAside) {
    m_path.clear();
    m_file.reset();
    if (!mayBeAJournal(path))
        return false;
    // Where a link leads: SQLite puts its files beside that, and so the lock must lie there too, the one
    // every name of this journal meets.
    const QFileInfo place(fileidentity::placeOf(path));
    if (!QDir().mkpath(place.absolutePath())) {
        m_error = QStringLiteral("the folder %1 cannot be made").arg(place.absolutePath());
        return false;
    }
    m_path = place.filePath();
    if (!create(setAside)) {
        m_path.clear();
        return false;
    }
    return true;
}

bool JournalStore::openToRead(const QString& path) {
    m_path.clear();
    m_file.reset();
    m_error.clear();
    if (!mayBeAJournal(path))
        return false;
    m_path = fileidentity::placeOf(path);
    bool foreign = false;
    if (QFileInfo::exists(path) &&
        !step(Use::Read, [&](QSqlDatabase& db) { return checkOwner(db, &foreign); })) {
        if (unreadable(m_sqlError))
            m_error = QStringLiteral("%1 is no session journal (%2)").arg(path, m_error);
        m_path.clear();
        return false;
    }
    return true;
}

bool JournalStore::mayOpen(const QString& path) {
    m_error.clear();
    if (!mayBeAJournal(path))
        return false;
    int code = 0;
    switch (kindOf(path, &code)) {
    case FileKind::Absent:
    case FileKind::Empty:
    case FileKind::Ours: // a damaged one is set aside by the writer
        return true;
    case FileKind::Unmarked: {
        // Told by its tables, which only SQLite can read; a reader changes nothing.
        const bool ours = openToRead(path);
        m_path.clear();
        return ours;
    }
    case FileKind::Foreign:
    case FileKind::NotADatabase:
    case FileKind::Unreadable:
        break;
    }
    m_path = fileidentity::placeOf(path);
    bool foreign = false;
    checkKind(&foreign);
    m_path.clear();
    return false;
}

bool JournalStore::mayBeAJournal(const QString& path) {
    const QFileInfo file(path);
    if (file.exists() && !file.isFile()) {
        m_error = QStringLiteral("%1 is not a file").arg(path);
        return false;
    }
    QStringList roles = ownfiles::rolesOf(path);
    roles.removeAll(QLatin1String(kJournalRole));
    if (roles.isEmpty())
        return true;
    m_error = QStringLiteral("%1 is %2, not a session journal; it was left as it is")
                  .arg(QDir::toNativeSeparators(path), roles.first());
    return false;
}

bool JournalStore::create(QString* setAside) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Its questions are the user's own; SQLite gives the files it keeps beside it the same mode.
        const int fd =
            ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
        bool foreign = false;
        m_file.reset();
        if (step(Use::Write, [&](QSqlDatabase& db) { return checkOwner(db, &foreign) && prepare(db); })) {
            struct stat info {};
            if (::stat(QFile::encodeName(m_path).constData(), &info) == 0)
                m_file = std::pair<quint64, quint64>(info.st_dev, info.st_ino);
            return true;
        }
        if (foreign || attempt > 0 || !unreadable(m_sqlError))
            return false;
        // Never while another program is at the file.
        ProcessLock lock(m_path + kLockSuffix);
        QString aside;
        if (lock.acquire(kWaitLimit) != ProcessLock::Outcome::Held || !setAsideFile(m_path, &aside)) {
            m_error = QStringLiteral("%1 is no session journal (%2), and it cannot be renamed aside")
                          .arg(m_path, m_error);
            return false;
        }
        if (setAside)
            *setAside = aside;
    }
    return false;
}

bool JournalStore::step(Use use, const std::function<bool(QSqlDatabase&)>& work) {
    ProcessLock lock(m_path + kLockSuffix);
    switch (lock.acquire(kWaitLimit)) {
    case ProcessLock::Outcome::Held:
        break;
    case ProcessLock::Outcome::HeldByOther:
        m_error = QStringLiteral("the journal %1 is in use by %2").arg(m_path, lock.holder());
        return false;
    case ProcessLock::Outcome::NotALockFile:
        m_error = lock.error();
        return false;
    case ProcessLock::Outcome::NoLockFile:
        // Where no lock file can be made, no writer can make the journal's own files either.
        if (use == Use::Write) {
            m_error = lock.error();
            return false;
        }
        break;
    }
    if (use == Use::Write && !stillTheSameFile())
        return false;
    static QAtomicInteger<int> counter;
    const QString name = QStringLiteral("journal-%1").arg(counter.fetchAndAddRelaxed(1));
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        m_sqlError = QSqlError();
        if (!db.isValid()) {
            m_error = QStringLiteral("the SQLite driver of Qt is not installed");
        } else {
            db.setDatabaseName(m_path);
            db.setConnectOptions(use == Use::Read
                                     ? QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000")
                                     : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
            done = db.open() ? work(db) : fail(db.lastError());
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

std::optional<bool> JournalStore::checkKind(bool* foreign) {
    int code = 0;
    switch (kindOf(m_path, &code)) {
    case FileKind::Absent:
    case FileKind::Empty:
        return true; // a new journal
    case FileKind::Ours:
    case FileKind::Unmarked:
        return std::nullopt;
    case FileKind::Foreign:
        *foreign = true;
        m_error = QStringLiteral("%1 is another program's database, not a session journal; it was left as "
                                 "it is")
                      .arg(m_path);
        return false;
    case FileKind::NotADatabase:
        *foreign = true;
        m_error = QStringLiteral("%1 is not a session journal (no SQLite database); it was left as it is")
                      .arg(m_path);
        return false;
    case FileKind::Unreadable:
        *foreign = true;
        m_error =
            QStringLiteral("%1 cannot be read: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(code)));
        return false;
    }
    return false;
}

bool JournalStore::checkOwner(QSqlDatabase& db, bool* foreign) {
    m_error.clear();
    // Only a file that says it is ours is ours: whatever else lies there, a word list or another
    // program's database, is left byte for byte as it is, and only our own damaged journal is set aside.
    if (const std::optional<bool> known = checkKind(foreign))
        return *known;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA application_id")) || !query.next())
        return fail(query.lastError());
    if (query.value(0).toLongLong() == kApplicationId) {
        // Read through once, so that a journal damaged further in is found before anything is written.
        return (query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) && query.next()) ||
               fail(query.lastError());
    }
    // A journal from before the id: known by its tables, and given the id by the writer.
    if (hasJournalTables(db))
        return true;
    *foreign = true;
    m_error = QStringLiteral("%1 is another program's database, not a session journal; it was left as it is")
                  .arg(m_path);
    return false;
}

bool JournalStore::prepare(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return fail(query.lastError());
    const int version = query.value(0).toInt();
    query.finish();
    // Checked before anything is written: a newer program's journal is left as it is.
    if (version > kSchemaVersion) {
        m_error =
            QStringLiteral("it was written by a newer version of this program (journal version %1, this "
                           "program knows up to %2)")
                .arg(version)
                .arg(kSchemaVersion);
        return false;
    }
    // A rollback journal, not a write-ahead log: no connection outlives its step, so nothing reads while
    // another writes, and a reader opened read-only then leaves no files behind.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) || !query.next())
        return fail(query.lastError());
    if (query.value(0).toString() != QLatin1String("delete")) {
        m_error = QStringLiteral("the journal cannot be switched to a rollback journal");
        return false;
    }
    if (!query.exec(QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId)))
        return fail(query.lastError());
    return version == kSchemaVersion || migrate(db, version);
}

bool JournalStore::migrate(QSqlDatabase& db, int version) {
    // One transaction: a journal is either as it was or wholly of the new version.
    if (!db.transaction())
        return fail(db.lastError());
    bool ok = true;
    for (; ok && version < kSchemaVersion; ++version)
        ok = upgradeFrom(db, version);
    QSqlQuery query(db);
    ok = ok && (query.exec(QStringLiteral("PRAGMA user_version=%1").arg(version)) || fail(query.lastError()));
    if (ok && db.commit())
        return true;
    if (ok)
        fail(db.lastError());
    const QSqlError error = m_sqlError;
    const QString text = m_error;
    db.rollback();
    m_sqlError = error;
    m_error = text;
    return false;
}

bool JournalStore::upgradeFrom(QSqlDatabase& db, int version) {
    QSqlQuery query(db);
    switch (version) {
    case 0: {
        for (const char* statement : kFirstTables) {
            if (!query.exec(QString::fromLatin1(statement)))
                return fail(query.lastError());
        }
        for (const char* statement : kDeviceColumns) {
            if (!query.exec(QString::fromLatin1(statement)))
                return fail(query.lastError());
        }
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT id FROM sessions")))
            return fail(query.lastError());
        QList<qint64> ids;
        while (query.next())
            ids << query.value(0).toLongLong();
        query.finish();
        QSqlQuery name(db);
        name.prepare(QStringLiteral("UPDATE sessions SET uuid = ? WHERE id = ?"));
        for (const qint64 id : ids) {
            name.addBindValue(newUuid());
            name.addBindValue(id);
            if (!name.exec())
                return fail(name.lastError());
        }
        return query.exec(QStringLiteral("CREATE UNIQUE INDEX sessions_by_uuid ON sessions(uuid)")) ||
               fail(query.lastError());
    }
    case 1:
        return query.exec(QString::fromLatin1(kTeamPushes)) || fail(query.lastError());
    case 2:
        for (const char* statement : kNumbersNeverReused) {
            if (!query.exec(QString::fromLatin1(statement)))
                return fail(query.lastError());
        }
        return true;
    default:
        m_error = QStringLiteral("no way from journal version %1").arg(version);
        return false;
    }
}

bool JournalStore::stillTheSameFile() {
    if (!m_file)
        return true;
    struct stat info {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) == 0 &&
        std::pair<quint64, quint64>(info.st_dev, info.st_ino) == *m_file)
        return true;
    m_error = QStringLiteral("the journal %1 was deleted or replaced while in use").arg(m_path);
    return false;
}

bool JournalStore::fail(const QSqlError& error) {
    m_sqlError = error;
    m_error = error.text();
    return false;
}

RunningSessions& JournalStore::running() {
    m_running.setPath(m_path + kRunningSuffix);
    return m_running;
}

qint64 JournalStore::begin(const QString& started, int windowSeconds, const QString& question,
                           const QString& device, const QString& operatorName) {
    if (!stillTheSameFile() && !create(nullptr))
        return 0;
    const QString uuid = newUuid();
    qint64 id = 0;
    step(Use::Write, [&](QSqlDatabase& db) {
        if (!db.transaction())
            return fail(db.lastError());
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("INSERT INTO sessions (started, window, question, device, operator, uuid)"
                           " VALUES (?, ?, ?, ?, ?, ?)"));
        query.addBindValue(started);
        query.addBindValue(windowSeconds);
        query.addBindValue(notNull(question));
        query.addBindValue(notNull(device));
        query.addBindValue(notNull(operatorName));
        query.addBindValue(uuid);
        if (!query.exec()) {
            const QSqlError error = query.lastError();
            db.rollback();
            return fail(error);
        }
        const qint64 made = query.lastInsertId().toLongLong();
        query.finish();
        // Held before the row can be seen: a delete looks under the same journal lock, so it never finds
        // the session without its hold.
        if (!running().hold(made)) {
            m_error = running().error();
            db.rollback();
            return false;
        }
        if (!db.commit()) {
            fail(db.lastError());
            running().release(made);
            db.rollback();
            return false;
        }
        id = made;
        return true;
    });
    if (id > 0)
        m_recordings[id] = {uuid, false};
    return id;
}

bool JournalStore::record(qint64 id, const std::vector<SessionPoll>& polls,
                          const std::vector<SessionWord>& words, const QString& answer,
                          std::optional<SessionEnd> end) {
    const auto recording = m_recordings.find(id);
    if (recording == m_recordings.end()) {
        m_error = QStringLiteral("session %1 is not being recorded").arg(id);
        return false;
    }
    const QString uuid = recording->second.uuid;
    const auto endAs = [&recording](SessionEnd reason) {
        return endText(recording->second.readingsLost ? SessionEnd::ReadingsMissing : reason);
    };
    bool gone = false;
    const bool written = step(Use::Write, [&](QSqlDatabase& db) {
        if (!db.transaction())
            return fail(db.lastError());
        QSqlQuery own(db);
        own.prepare(QStringLiteral("SELECT count(*) FROM sessions WHERE id = ? AND uuid = ?"));
        own.addBindValue(id);
        own.addBindValue(uuid);
        if (!own.exec() || !own.next()) {
            const QSqlError error = own.lastError();
            db.rollback();
            return fail(error);
        }
        if (own.value(0).toInt() == 0) {
            own.finish();
            db.rollback();
            gone = true;
            m_error =
                QStringLiteral("session %1 was deleted from the journal while it was recorded; the rest "
                               "of it is not kept")
                    .arg(id);
            return false;
        }
        own.finish();
        QSqlQuery poll(db);
        poll.prepare(
            QStringLiteral("INSERT INTO polls (session, ms, reading1, reading2, reading3, word_index, word,"
                           " shown, not_shown) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        bool ok = true;
        for (const SessionPoll& p : polls) {
            const char* notShown = notShownText(p.outcome);
            for (const QVariant& value :
                 {QVariant(id), QVariant(p.ms), QVariant(p.readings[0]), QVariant(p.readings[1]),
                  QVariant(p.readings[2]), QVariant(p.index), QVariant(notNull(p.word)), QVariant(p.shown()),
                  notShown ? QVariant(QString::fromLatin1(notShown))
                           : QVariant(QMetaType(QMetaType::QString))})
                poll.addBindValue(value);
            if (!(ok = poll.exec()))
                break;
        }
        QSqlQuery word(db);
        word.prepare(QStringLiteral("INSERT INTO words (session, ms, word_index, word) VALUES (?, ?, ?, ?)"));
        for (auto w = words.begin(); ok && w != words.end(); ++w) {
            for (const QVariant& value :
                 {QVariant(id), QVariant(w->ms), QVariant(w->index), QVariant(notNull(w->word))})
                word.addBindValue(value);
            ok = word.exec();
        }
        QSqlQuery session(db);
        if (ok) {
            session.prepare(end ? QStringLiteral("UPDATE sessions SET answer = ?, end_reason = ?"
                                                 " WHERE id = ? AND uuid = ?")
                                : QStringLiteral("UPDATE sessions SET answer = ? WHERE id = ? AND uuid = ?"));
            session.addBindValue(notNull(answer));
            if (end)
                session.addBindValue(endAs(*end));
            session.addBindValue(id);
            session.addBindValue(uuid);
            ok = session.exec();
        }
        // A copy pushed to a team journal before the end (its program stalled past a push) is no longer
        // this session as it is: it waits to be pushed again, whole.
        QSqlQuery pushes(db);
        if (ok && end) {
            pushes.prepare(QStringLiteral("DELETE FROM team_pushes WHERE uuid = ?"));
            pushes.addBindValue(uuid);
            ok = pushes.exec();
        }
        if (!ok) {
            const QSqlError error = poll.lastError().isValid()      ? poll.lastError()
                                    : word.lastError().isValid()    ? word.lastError()
                                    : session.lastError().isValid() ? session.lastError()
                                                                    : pushes.lastError();
            db.rollback();
            return fail(error);
        }
        return db.commit() || fail(db.lastError());
    });
    if (!written && !gone && (!polls.empty() || !words.empty()))
        recording->second.readingsLost = true;
    if (!written && !gone && end) {
        // The last batch is lost, but the row can still say so: changing it in place needs none of the room
        // that the new readings did not get. What went wrong first is what is said.
        const QString error = m_error;
        const QSqlError sqlError = m_sqlError;
        step(Use::Write, [&](QSqlDatabase& db) {
            QSqlQuery session(db);
            session.prepare(
                QStringLiteral("UPDATE sessions SET answer = ?, end_reason = ? WHERE id = ? AND uuid = ?"));
            session.addBindValue(notNull(answer));
            session.addBindValue(endAs(*end));
            session.addBindValue(id);
            session.addBindValue(uuid);
            return session.exec() || fail(session.lastError());
        });
        m_error = error;
        m_sqlError = sqlError;
    }
    if (gone || end) {
        running().release(id);
        m_recordings.erase(recording);
    }
    return written;
}

std::optional<QList<qint64>> JournalStore::runningAmong(const QList<qint64>& ids) {
    m_error.clear();
    auto held = running().heldAmong(ids);
    if (!held)
        m_error = running().error();
    return held;
}

std::vector<JournalSession> JournalStore::list() {
    m_error.clear();
    std::vector<JournalSession> sessions;
    // A journal nobody has written yet holds no sessions; a reader does not make one.
    if (!QFileInfo::exists(m_path))
        return sessions;
    step(Use::Read, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
            return fail(query.lastError());
        // A reader never migrates: a journal no writer has brought up to date yet names no devices.
        const QString deviceColumns = query.value(0).toInt() >= 1 ? QStringLiteral("device, operator, uuid")
                                                                  : QStringLiteral("'', '', ''");
        query.finish();
        if (!query.exec(QStringLiteral("SELECT id, started, window, question, answer, end_reason, %1,"
                                       " (SELECT count(*) FROM words WHERE words.session = sessions.id)"
                                       " FROM sessions ORDER BY id")
                            .arg(deviceColumns)))
            return fail(query.lastError());
        while (query.next()) {
            JournalSession& session = sessions.emplace_back(sessionFromRow(query));
            session.wordCount = query.value(9).toInt();
        }
        return true;
    });
    markRunning(sessions);
    return sessions;
}

void JournalStore::markRunning(std::vector<JournalSession>& sessions) {
    // A session without its end is "interrupted" in its row until it ends; while a live program still
    // records it, that word would be false.
    const QString unfinished = endText(SessionEnd::Interrupted);
    QList<qint64> ids;
    for (const JournalSession& session : sessions) {
        if (session.end == unfinished)
            ids << session.id;
    }
    if (ids.isEmpty())
        return;
    const QString error = m_error;
    const QList<qint64> running = runningAmong(ids).value_or(QList<qint64>());
    m_error = error;
    for (JournalSession& session : sessions) {
        if (running.contains(session.id))
            session.end = QString::fromLatin1(kRunning);
    }
}

std::optional<std::vector<JournalSession>> JournalStore::read(const QList<qint64>& ids) {
    std::vector<JournalSession> sessions = list();
    if (!m_error.isEmpty())
        return std::nullopt;
    if (!ids.isEmpty())
        std::erase_if(sessions, [&ids](const JournalSession& session) { return !ids.contains(session.id); });
    if (sessions.empty())
        return sessions;
    const bool read = step(Use::Read, [&](QSqlDatabase& db) {
        return std::all_of(sessions.begin(), sessions.end(),
                           [&](JournalSession& session) { return readDetails(db, session); });
    });
    return read ? std::optional(std::move(sessions)) : std::nullopt;
}

bool JournalStore::readDetails(QSqlDatabase& db, JournalSession& session) {
    QSqlQuery polls(db);
    polls.setForwardOnly(true);
    polls.prepare(QStringLiteral("SELECT ms, reading1, reading2, reading3, word_index, word, shown, not_shown"
                                 " FROM polls WHERE session = ? ORDER BY rowid"));
    polls.addBindValue(session.id);
    if (!polls.exec())
        return fail(polls.lastError());
    while (polls.next()) {
        session.polls.push_back({polls.value(0).toLongLong(),
                                 {polls.value(1).toInt(), polls.value(2).toInt(), polls.value(3).toInt()},
                                 polls.value(4).toInt(),
                                 polls.value(5).toString(),
                                 outcomeFrom(polls.value(6).toBool(), polls.value(7).toString())});
    }
    QSqlQuery words(db);
    words.setForwardOnly(true);
    words.prepare(QStringLiteral("SELECT ms, word_index, word FROM words WHERE session = ? ORDER BY rowid"));
    words.addBindValue(session.id);
    if (!words.exec())
        return fail(words.lastError());
    while (words.next())
        session.words.push_back(
            {words.value(0).toLongLong(), words.value(1).toInt(), words.value(2).toString()});
    return true;
}

bool JournalStore::waitingClause(QSqlDatabase& db, const QString& server, QString* clause) {
    // An unfinished session whose window is long past is one its program died in, unless a live program
    // still records it (one that stalled): that one goes when it has its end.
    QSqlQuery unfinished(db);
    unfinished.setForwardOnly(true);
    unfinished.prepare(QStringLiteral("SELECT id FROM sessions WHERE end_reason = 'interrupted' AND %1")
                           .arg(QString::fromLatin1(kWaiting)));
    unfinished.addBindValue(server);
    if (!unfinished.exec())
        return fail(unfinished.lastError());
    QList<qint64> ids;
    while (unfinished.next())
        ids << unfinished.value(0).toLongLong();
    *clause = QString::fromLatin1(kWaiting);
    if (ids.isEmpty())
        return true;
    // When it cannot be told which are still recorded, none of them goes yet.
    const QList<qint64> running = runningAmong(ids).value_or(ids);
    if (!running.isEmpty())
        *clause += QStringLiteral(" AND id NOT IN (%1)").arg(idList(running));
    return true;
}

std::optional<std::vector<JournalSession>> JournalStore::waitingFor(const QString& server, int limit) {
    m_error.clear();
    std::vector<JournalSession> sessions;
    const bool read = step(Use::Read, [&](QSqlDatabase& db) {
        QString waiting;
        if (!waitingClause(db, server, &waiting))
            return false;
        QSqlQuery query(db);
        query.setForwardOnly(true);
        query.prepare(
            QStringLiteral("SELECT id, started, window, question, answer, end_reason, device, operator,"
                           " uuid FROM sessions WHERE %1 ORDER BY id LIMIT %2")
                .arg(waiting)
                .arg(limit));
        query.addBindValue(server);
        if (!query.exec())
            return fail(query.lastError());
        while (query.next())
            sessions.push_back(sessionFromRow(query));
        return std::all_of(sessions.begin(), sessions.end(), [&](JournalSession& session) {
            if (!readDetails(db, session))
                return false;
            session.wordCount = int(session.words.size());
            return true;
        });
    });
    return read ? std::optional(std::move(sessions)) : std::nullopt;
}

std::optional<int> JournalStore::waitingCount(const QString& server) {
    int count = 0;
    const bool read = step(Use::Read, [&](QSqlDatabase& db) {
        QString waiting;
        if (!waitingClause(db, server, &waiting))
            return false;
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT count(*) FROM sessions WHERE %1").arg(waiting));
        query.addBindValue(server);
        if (!query.exec() || !query.next())
            return fail(query.lastError());
        count = query.value(0).toInt();
        return true;
    });
    return read ? std::optional(count) : std::nullopt;
}

bool JournalStore::markPushed(const QStringList& uuids, const QString& server) {
    return step(Use::Write, [&](QSqlDatabase& db) {
        if (!db.transaction())
            return fail(db.lastError());
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT OR IGNORE INTO team_pushes (uuid, server) VALUES (?, ?)"));
        for (const QString& uuid : uuids) {
            query.addBindValue(uuid);
            query.addBindValue(server);
            if (!query.exec()) {
                const QSqlError error = query.lastError();
                db.rollback();
                return fail(error);
            }
        }
        return db.commit() || fail(db.lastError());
    });
}

std::optional<int> JournalStore::remove(const QList<qint64>& ids) {
    if (ids.isEmpty())
        return 0;
    const QString in = idList(ids);
    int removed = 0;
    const bool done = step(Use::Write, [&](QSqlDatabase& db) {
        // Under the journal's lock, which begin() holds while it takes a session's hold: no session can
        // start running between this look and the delete.
        const auto held = runningAmong(ids);
        if (!held)
            return false;
        if (!held->isEmpty()) {
            m_error = stillRunning(*held);
            return false;
        }
        if (!db.transaction())
            return fail(db.lastError());
        QSqlQuery query(db);
        const bool ok = query.exec(QStringLiteral("DELETE FROM polls WHERE session IN (%1)").arg(in)) &&
                        query.exec(QStringLiteral("DELETE FROM words WHERE session IN (%1)").arg(in)) &&
                        query.exec(QStringLiteral("DELETE FROM sessions WHERE id IN (%1)").arg(in));
        if (ok)
            removed = query.numRowsAffected();
        if (!ok || !db.commit()) {
            fail(ok ? db.lastError() : query.lastError());
            db.rollback();
            return false;
        }
        return true;
    });
    return done ? std::optional(removed) : std::nullopt;
}

} // namespace telvar
