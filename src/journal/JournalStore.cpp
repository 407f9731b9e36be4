#include "journal/JournalStore.h"

#include "journal/PollOutcomeText.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <QUuid>

namespace telvar {

namespace {

// "TVJ1": tells our journal from any other SQLite file that happens to lie at its path.
constexpr qint64 kApplicationId = 0x54564A31;
// SQLite's primary result codes for a file that is not a database, or a damaged one.
constexpr int kNotADatabase = 26;
constexpr int kCorrupt = 11;

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

// A session still waiting for `server` (the first bound value): finished, or its window long past, and
// not yet pushed there.
const char* const kWaiting =
    "(end_reason <> 'interrupted' OR julianday('now') - julianday(started) > (window + 60) / 86400.0)"
    " AND uuid IS NOT NULL AND NOT EXISTS (SELECT 1 FROM team_pushes p WHERE p.uuid = sessions.uuid"
    " AND p.server = ?)";

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
    for (const char* sidecar : {"-wal", "-shm"}) {
        if (QFileInfo::exists(path + QLatin1String(sidecar)))
            QDir().rename(path + QLatin1String(sidecar), target + QLatin1String(sidecar));
    }
    *aside = target;
    return true;
}

} // namespace

JournalStore::JournalStore() {
    static QAtomicInteger<int> counter;
    m_connection = QStringLiteral("journal-%1").arg(counter.fetchAndAddRelaxed(1));
}

JournalStore::~JournalStore() {
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

QString JournalStore::defaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("sessions.db"));
}

bool JournalStore::open(const QString& path, QString* setAside) {
    m_open = false;
    const QFileInfo file(path);
    if (file.exists() && !file.isFile()) {
        m_error = QStringLiteral("%1 is not a file").arg(path);
        return false;
    }
    if (!QDir().mkpath(file.absolutePath())) {
        m_error = QStringLiteral("the folder %1 cannot be made").arg(file.absolutePath());
        return false;
    }
    if (!QSqlDatabase::contains(m_connection))
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!m_db.isValid()) {
        m_error = QStringLiteral("the SQLite driver of Qt is not installed");
        return false;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        m_sqlError = QSqlError();
        bool foreign = false;
        if (!m_db.open())
            fail(m_db.lastError());
        else if (prepare(&foreign))
            return m_open = true;
        m_db.close();
        if (attempt > 0 || !(foreign || unreadable(m_sqlError)))
            return false;
        QString aside;
        if (!setAsideFile(path, &aside)) {
            m_error = QStringLiteral("%1 is no session journal (%2), and it cannot be renamed aside")
                          .arg(path, m_error);
            return false;
        }
        if (setAside)
            *setAside = aside;
    }
    return false;
}

bool JournalStore::prepare(bool* foreign) {
    m_error.clear();
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA application_id")) || !query.next())
        return fail(query.lastError());
    const qint64 applicationId = query.value(0).toLongLong();
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
        return fail(query.lastError());
    const bool empty = query.value(0).toInt() == 0;
    // Another program's database: not ours to write into.
    if (applicationId != kApplicationId && !empty) {
        *foreign = true;
        m_error = QStringLiteral("another program's database");
        return false;
    }
    // WAL lets a reader (the history, telvarctl sessions) look while a session writes; NORMAL syncs
    // keep every committed batch through a crash of the program.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next())
        return fail(query.lastError());
    if (query.value(0).toString() != QLatin1String("wal")) {
        m_error = QStringLiteral("the journal cannot be switched to write-ahead logging");
        return false;
    }
    if (!execute(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return false;
    if (empty && !execute(QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId)))
        return false;
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return fail(query.lastError());
    const int version = query.value(0).toInt();
    query.finish();
    if (version > kSchemaVersion) {
        m_error =
            QStringLiteral("it was written by a newer version of this program (journal version %1, this "
                           "program knows up to %2)")
                .arg(version)
                .arg(kSchemaVersion);
        return false;
    }
    return version == kSchemaVersion || migrate();
}

bool JournalStore::migrate() {
    // Two programs may open an old journal at once: the second waits here and finds the work done.
    if (!execute(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    QSqlQuery query(m_db);
    bool ok = query.exec(QStringLiteral("PRAGMA user_version")) && query.next();
    int version = ok ? query.value(0).toInt() : 0;
    if (!ok)
        fail(query.lastError());
    query.finish();
    for (; ok && version < kSchemaVersion; ++version)
        ok = upgradeFrom(version);
    ok = ok && execute(QStringLiteral("PRAGMA user_version=%1").arg(version));
    if (ok && execute(QStringLiteral("COMMIT")))
        return true;
    const QSqlError error = m_sqlError;
    const QString text = m_error;
    QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
    m_sqlError = error;
    m_error = text;
    return false;
}

bool JournalStore::upgradeFrom(int version) {
    switch (version) {
    case 0: {
        for (const char* statement : kFirstTables) {
            if (!execute(QString::fromLatin1(statement)))
                return false;
        }
        for (const char* statement : kDeviceColumns) {
            if (!execute(QString::fromLatin1(statement)))
                return false;
        }
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT id FROM sessions")))
            return fail(query.lastError());
        QList<qint64> ids;
        while (query.next())
            ids << query.value(0).toLongLong();
        query.finish();
        QSqlQuery name(m_db);
        name.prepare(QStringLiteral("UPDATE sessions SET uuid = ? WHERE id = ?"));
        for (const qint64 id : ids) {
            name.addBindValue(newUuid());
            name.addBindValue(id);
            if (!name.exec())
                return fail(name.lastError());
        }
        return execute(QStringLiteral("CREATE UNIQUE INDEX sessions_by_uuid ON sessions(uuid)"));
    }
    case 1:
        return execute(QString::fromLatin1(kTeamPushes));
    default:
        m_error = QStringLiteral("no way from journal version %1").arg(version);
        return false;
    }
}

bool JournalStore::fail(const QSqlError& error) {
    m_sqlError = error;
    m_error = error.text();
    return false;
}

bool JournalStore::execute(const QString& statement) {
    QSqlQuery query(m_db);
    return query.exec(statement) || fail(query.lastError());
}

qint64 JournalStore::begin(const QString& started, int windowSeconds, const QString& question,
                           const QString& device, const QString& operatorName) {
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("INSERT INTO sessions (started, window, question, device, operator, uuid)"
                                 " VALUES (?, ?, ?, ?, ?, ?)"));
    query.addBindValue(started);
    query.addBindValue(windowSeconds);
    query.addBindValue(notNull(question));
    query.addBindValue(notNull(device));
    query.addBindValue(notNull(operatorName));
    query.addBindValue(newUuid());
    if (!query.exec()) {
        fail(query.lastError());
        return 0;
    }
    return query.lastInsertId().toLongLong();
}

bool JournalStore::record(qint64 id, const std::vector<SessionPoll>& polls,
                          const std::vector<SessionWord>& words, const QString& answer,
                          std::optional<SessionEnd> end) {
    if (!m_db.transaction())
        return fail(m_db.lastError());
    QSqlQuery poll(m_db);
    poll.prepare(
        QStringLiteral("INSERT INTO polls (session, ms, reading1, reading2, reading3, word_index, word,"
                       " shown, not_shown) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    bool ok = true;
    for (const SessionPoll& p : polls) {
        const char* notShown = notShownText(p.outcome);
        for (const QVariant& value :
             {QVariant(id), QVariant(p.ms), QVariant(p.readings[0]), QVariant(p.readings[1]),
              QVariant(p.readings[2]), QVariant(p.index), QVariant(notNull(p.word)), QVariant(p.shown()),
              notShown ? QVariant(QString::fromLatin1(notShown)) : QVariant(QMetaType(QMetaType::QString))})
            poll.addBindValue(value);
        if (!(ok = poll.exec()))
            break;
    }
    QSqlQuery word(m_db);
    word.prepare(QStringLiteral("INSERT INTO words (session, ms, word_index, word) VALUES (?, ?, ?, ?)"));
    for (auto w = words.begin(); ok && w != words.end(); ++w) {
        for (const QVariant& value :
             {QVariant(id), QVariant(w->ms), QVariant(w->index), QVariant(notNull(w->word))})
            word.addBindValue(value);
        ok = word.exec();
    }
    QSqlQuery session(m_db);
    if (ok) {
        session.prepare(end ? QStringLiteral("UPDATE sessions SET answer = ?, end_reason = ? WHERE id = ?")
                            : QStringLiteral("UPDATE sessions SET answer = ? WHERE id = ?"));
        session.addBindValue(notNull(answer));
        if (end)
            session.addBindValue(endText(*end));
        session.addBindValue(id);
        ok = session.exec();
    }
    if (!ok) {
        const QSqlError error = poll.lastError().isValid()   ? poll.lastError()
                                : word.lastError().isValid() ? word.lastError()
                                                             : session.lastError();
        m_db.rollback();
        return fail(error);
    }
    return m_db.commit() || fail(m_db.lastError());
}

std::vector<JournalSession> JournalStore::list() {
    return select(QString(), {});
}

std::vector<JournalSession> JournalStore::select(const QString& condition, const QVariantList& values,
                                                 int limit) {
    std::vector<JournalSession> sessions;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, started, window, question, answer, end_reason, device, operator,"
                                 " uuid, (SELECT count(*) FROM words WHERE words.session = sessions.id)"
                                 " FROM sessions %1 ORDER BY id LIMIT %2")
                      .arg(condition.isEmpty() ? QString() : QStringLiteral("WHERE ") + condition)
                      .arg(limit));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        fail(query.lastError());
        return sessions;
    }
    while (query.next()) {
        JournalSession& session = sessions.emplace_back();
        session.id = query.value(0).toLongLong();
        session.started = query.value(1).toString();
        session.window = query.value(2).toInt();
        session.question = query.value(3).toString();
        session.answer = query.value(4).toString();
        session.end = query.value(5).toString();
        session.device = query.value(6).toString();
        session.operatorName = query.value(7).toString();
        session.uuid = query.value(8).toString();
        session.wordCount = query.value(9).toInt();
    }
    return sessions;
}

std::optional<std::vector<JournalSession>> JournalStore::read(const QList<qint64>& ids) {
    m_error.clear();
    std::vector<JournalSession> sessions = list();
    if (!m_error.isEmpty())
        return std::nullopt;
    if (!ids.isEmpty())
        std::erase_if(sessions, [&ids](const JournalSession& session) { return !ids.contains(session.id); });
    for (JournalSession& session : sessions) {
        if (!readDetails(session))
            return std::nullopt;
    }
    return sessions;
}

bool JournalStore::readDetails(JournalSession& session) {
    QSqlQuery polls(m_db);
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
    QSqlQuery words(m_db);
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

std::optional<std::vector<JournalSession>> JournalStore::waitingFor(const QString& server, int limit) {
    m_error.clear();
    std::vector<JournalSession> sessions = select(QString::fromLatin1(kWaiting), {server}, limit);
    if (!m_error.isEmpty())
        return std::nullopt;
    for (JournalSession& session : sessions) {
        if (!readDetails(session))
            return std::nullopt;
    }
    return sessions;
}

std::optional<int> JournalStore::waitingCount(const QString& server) {
    QSqlQuery query(m_db);
    query.prepare(
        QStringLiteral("SELECT count(*) FROM sessions WHERE %1").arg(QString::fromLatin1(kWaiting)));
    query.addBindValue(server);
    if (!query.exec() || !query.next()) {
        fail(query.lastError());
        return std::nullopt;
    }
    return query.value(0).toInt();
}

bool JournalStore::markPushed(const QStringList& uuids, const QString& server) {
    if (!m_db.transaction())
        return fail(m_db.lastError());
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("INSERT OR IGNORE INTO team_pushes (uuid, server) VALUES (?, ?)"));
    for (const QString& uuid : uuids) {
        query.addBindValue(uuid);
        query.addBindValue(server);
        if (!query.exec()) {
            const QSqlError error = query.lastError();
            m_db.rollback();
            return fail(error);
        }
    }
    return m_db.commit() || fail(m_db.lastError());
}

std::optional<int> JournalStore::remove(const QList<qint64>& ids) {
    if (ids.isEmpty())
        return 0;
    const QString in = idList(ids);
    if (!m_db.transaction()) {
        fail(m_db.lastError());
        return std::nullopt;
    }
    QSqlQuery query(m_db);
    int removed = 0;
    bool ok = query.exec(QStringLiteral("DELETE FROM polls WHERE session IN (%1)").arg(in)) &&
              query.exec(QStringLiteral("DELETE FROM words WHERE session IN (%1)").arg(in)) &&
              query.exec(QStringLiteral("DELETE FROM sessions WHERE id IN (%1)").arg(in));
    if (ok)
        removed = query.numRowsAffected();
    if (!ok || !m_db.commit()) {
        fail(ok ? m_db.lastError() : query.lastError());
        m_db.rollback();
        return std::nullopt;
    }
    return removed;
}

} // namespace telvar
