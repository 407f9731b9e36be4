// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/TeamJournal.h"

#include "journal/PollOutcomeText.h"
#include "journal/SessionRow.h"
#include "session/SessionEnd.h"

#include <QAtomicInteger>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <unordered_map>

namespace telvar {

namespace {

// Held while the tables are made or upgraded, so two computers starting at once take turns ("TVJ1").
constexpr qint64 kSchemaLock = 0x54564A31;

// Version 1: sessions keyed by UUID, their polls and words numbered within the session.
const char* const kFirstTables[] = {
    "CREATE TABLE telvar_sessions (id bigserial PRIMARY KEY, uuid uuid NOT NULL UNIQUE,"
    " started text NOT NULL, window_seconds integer NOT NULL, question text NOT NULL, answer text NOT NULL,"
    " end_reason text NOT NULL, device text NOT NULL, operator text NOT NULL, word_count integer NOT NULL,"
    " pushed_at timestamptz NOT NULL DEFAULT now())",
    "CREATE TABLE telvar_polls (session bigint NOT NULL REFERENCES telvar_sessions(id) ON DELETE CASCADE,"
    " seq integer NOT NULL, ms bigint NOT NULL, reading1 integer NOT NULL, reading2 integer NOT NULL,"
    " reading3 integer NOT NULL, word_index integer NOT NULL, word text NOT NULL, shown boolean NOT NULL,"
    " not_shown text, PRIMARY KEY (session, seq))",
    "CREATE TABLE telvar_words (session bigint NOT NULL REFERENCES telvar_sessions(id) ON DELETE CASCADE,"
    " seq integer NOT NULL, ms bigint NOT NULL, word_index integer NOT NULL, word text NOT NULL,"
    " PRIMARY KEY (session, seq))",
};

// An empty text is a text all the same; a null QString would be bound as NULL.
QString notNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

// PostgreSQL's array literal of texts: every element quoted, a null one written NULL.
QString textArray(const QStringList& values, const std::vector<bool>& isNull = {}) {
    QString literal = QStringLiteral("{");
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            literal += u',';
        if (std::size_t(i) < isNull.size() && isNull[std::size_t(i)]) {
            literal += QStringLiteral("NULL");
            continue;
        }
        QString value = values[i];
        value.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
        value.replace(QStringLiteral("\""), QStringLiteral("\\\""));
        literal += u'"' + value + u'"';
    }
    return literal + u'}';
}

template <typename Number> QString numberArray(const std::vector<Number>& values) {
    QStringList numbers;
    numbers.reserve(qsizetype(values.size()));
    for (const Number value : values)
        numbers << QString::number(value);
    return u'{' + numbers.join(u',') + u'}';
}

QString idArray(const QList<qint64>& ids) {
    return numberArray(std::vector<qint64>(ids.begin(), ids.end()));
}

} // namespace

TeamJournal::TeamJournal() {
    static QAtomicInteger<int> counter;
    m_connection = QStringLiteral("team-journal-%1").arg(counter.fetchAndAddRelaxed(1));
}

TeamJournal::~TeamJournal() {
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

bool TeamJournal::open(const TeamJournalAddress& address) {
    if (!reach(address))
        return false;
    // The server's notices ("relation already exists, skipping") are no news to a user.
    if (!execute(QStringLiteral("SET client_min_messages = warning")) || !prepareTables()) {
        m_db.close();
        return false;
    }
    return true;
}

bool TeamJournal::reach(const TeamJournalAddress& address) {
    if (!QSqlDatabase::contains(m_connection))
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    if (!m_db.isValid())
        return fail(QStringLiteral("the PostgreSQL driver of Qt is not installed (libqt6sql6-psql)"));
    m_db.close();
    m_db.setHostName(address.host);
    m_db.setPort(address.port);
    m_db.setUserName(address.user);
    m_db.setDatabaseName(address.database);
    m_db.setConnectOptions(address.options);
    return m_db.open() || fail(m_db.lastError().text());
}

bool TeamJournal::prepareTables() {
    if (!m_db.transaction())
        return fail(m_db.lastError().text());
    QSqlQuery query(m_db);
    bool ok =
        query.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLock)) &&
        query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS telvar_schema (version integer NOT NULL)")) &&
        query.exec(QStringLiteral("SELECT coalesce(max(version), 0) FROM telvar_schema")) && query.next();
    if (!ok) {
        fail(query.lastError().text());
        m_db.rollback();
        return false;
    }
    int version = query.value(0).toInt();
    query.finish();
    if (version > kSchemaVersion) {
        m_db.rollback();
        return fail(QStringLiteral("the team journal was made by a newer version of this program (tables of "
                                   "version %1, this program knows up to %2); update the program")
                        .arg(version)
                        .arg(kSchemaVersion));
    }
    const bool upgrade = version < kSchemaVersion;
    for (; ok && version < kSchemaVersion; ++version)
        ok = upgradeFrom(version);
    ok = ok && (!upgrade || (execute(QStringLiteral("DELETE FROM telvar_schema")) &&
                             execute(QStringLiteral("INSERT INTO telvar_schema VALUES (%1)").arg(version))));
    if (ok && m_db.commit())
        return true;
    if (ok)
        fail(m_db.lastError().text());
    m_db.rollback();
    return false;
}

bool TeamJournal::upgradeFrom(int version) {
    switch (version) {
    case 0:
        for (const char* statement : kFirstTables) {
            if (!execute(QString::fromLatin1(statement)))
                return false;
        }
        return true;
    default:
        return fail(QStringLiteral("no way from team journal version %1").arg(version));
    }
}

std::optional<TeamJournal::PushCounts> TeamJournal::push(const std::vector<JournalSession>& sessions) {
    if (!m_db.transaction()) {
        fail(m_db.lastError().text());
        return std::nullopt;
    }
    PushCounts counts;
    for (const JournalSession& session : sessions) {
        Arrival arrival = Arrival::AlreadyThere;
        if (!insert(session, &arrival)) {
            m_db.rollback();
            return std::nullopt;
        }
        ++(arrival == Arrival::Added      ? counts.added
           : arrival == Arrival::Replaced ? counts.replaced
                                          : counts.alreadyThere);
    }
    if (!m_db.commit()) {
        fail(m_db.lastError().text());
        m_db.rollback();
        return std::nullopt;
    }
    return counts;
}

bool TeamJournal::insert(const JournalSession& session, Arrival* arrival) {
    if (session.uuid.isEmpty())
        return fail(QStringLiteral("session %1 has no UUID").arg(session.id));
    // Only an unfinished copy gives way, and only to a finished one: a copy of a journal taken while a
    // session ran must never undo the session's end that its own computer pushed.
    QSqlQuery query(m_db);
    query.prepare(
        QStringLiteral(
            "INSERT INTO telvar_sessions AS held (uuid, started, window_seconds, question, answer, "
            "end_reason,"
            " device, operator, word_count) VALUES (?::uuid, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (uuid) DO "
            "UPDATE"
            " SET started = EXCLUDED.started, window_seconds = EXCLUDED.window_seconds,"
            " question = EXCLUDED.question, answer = EXCLUDED.answer, end_reason = EXCLUDED.end_reason,"
            " device = EXCLUDED.device, operator = EXCLUDED.operator, word_count = EXCLUDED.word_count,"
            " pushed_at = now() WHERE held.end_reason = '%1' AND EXCLUDED.end_reason <> '%1'"
            " RETURNING id, xmax = 0")
            .arg(endText(SessionEnd::Interrupted)));
    for (const QVariant& value :
         {QVariant(session.uuid), QVariant(notNull(session.started)), QVariant(session.window),
          QVariant(notNull(session.question)), QVariant(notNull(session.answer)),
          QVariant(notNull(session.end)), QVariant(notNull(session.device)),
          QVariant(notNull(session.operatorName)), QVariant(qint64(session.words.size()))})
        query.addBindValue(value);
    if (!query.exec())
        return fail(query.lastError().text());
    if (!query.next()) {
        *arrival = Arrival::AlreadyThere;
        return true;
    }
    const qint64 id = query.value(0).toLongLong();
    *arrival = query.value(1).toBool() ? Arrival::Added : Arrival::Replaced;
    query.finish();
    if (*arrival == Arrival::Replaced &&
        !(execute(QStringLiteral("DELETE FROM telvar_polls WHERE session = %1").arg(id)) &&
          execute(QStringLiteral("DELETE FROM telvar_words WHERE session = %1").arg(id))))
        return false;

    std::vector<qint64> ms;
    std::vector<int> first, second, third, indexes;
    QStringList words, notShown;
    std::vector<bool> shown, noReason;
    for (const SessionPoll& poll : session.polls) {
        ms.push_back(poll.ms);
        first.push_back(poll.readings[0]);
        second.push_back(poll.readings[1]);
        third.push_back(poll.readings[2]);
        indexes.push_back(poll.index);
        words << poll.word;
        shown.push_back(poll.shown());
        const char* reason = notShownText(poll.outcome);
        notShown << QString::fromLatin1(reason ? reason : "");
        noReason.push_back(reason == nullptr);
    }
    QStringList shownTexts;
    for (const bool value : shown)
        shownTexts << (value ? QStringLiteral("t") : QStringLiteral("f"));
    QSqlQuery polls(m_db);
    polls.prepare(QStringLiteral(
        "INSERT INTO telvar_polls (session, seq, ms, reading1, reading2, reading3, word_index, word, shown,"
        " not_shown) SELECT ?, p.seq, p.ms, p.r1, p.r2, p.r3, p.wi, p.w, p.s, p.ns FROM unnest(?::bigint[],"
        " ?::integer[], ?::integer[], ?::integer[], ?::integer[], ?::text[], ?::boolean[], ?::text[])"
        " WITH ORDINALITY AS p(ms, r1, r2, r3, wi, w, s, ns, seq)"));
    for (const QVariant& value :
         {QVariant(id), QVariant(numberArray(ms)), QVariant(numberArray(first)),
          QVariant(numberArray(second)), QVariant(numberArray(third)), QVariant(numberArray(indexes)),
          QVariant(textArray(words)), QVariant(u'{' + shownTexts.join(u',') + u'}'),
          QVariant(textArray(notShown, noReason))})
        polls.addBindValue(value);
    if (!polls.exec())
        return fail(polls.lastError().text());

    std::vector<qint64> wordMs;
    std::vector<int> wordIndexes;
    QStringList wordTexts;
    for (const SessionWord& word : session.words) {
        wordMs.push_back(word.ms);
        wordIndexes.push_back(word.index);
        wordTexts << word.word;
    }
    QSqlQuery accepted(m_db);
    accepted.prepare(QStringLiteral(
        "INSERT INTO telvar_words (session, seq, ms, word_index, word) SELECT ?, w.seq, w.ms, w.wi, w.w"
        " FROM unnest(?::bigint[], ?::integer[], ?::text[]) WITH ORDINALITY AS w(ms, wi, w, seq)"));
    for (const QVariant& value : {QVariant(id), QVariant(numberArray(wordMs)),
                                  QVariant(numberArray(wordIndexes)), QVariant(textArray(wordTexts))})
        accepted.addBindValue(value);
    return accepted.exec() || fail(accepted.lastError().text());
}

std::vector<JournalSession> TeamJournal::list() {
    m_error.clear();
    std::vector<JournalSession> sessions;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id, started, window_seconds, question, answer, end_reason, device,"
                                   " operator, uuid, word_count FROM telvar_sessions ORDER BY id"))) {
        fail(query.lastError().text());
        return sessions;
    }
    while (query.next()) {
        JournalSession& session = sessions.emplace_back(sessionFromRow(query));
        session.wordCount = query.value(9).toInt();
    }
    return sessions;
}

std::optional<std::vector<JournalSession>> TeamJournal::read(const QList<qint64>& ids) {
    std::vector<JournalSession> sessions = list();
    if (!m_error.isEmpty())
        return std::nullopt;
    if (!ids.isEmpty())
        std::erase_if(sessions, [&ids](const JournalSession& session) { return !ids.contains(session.id); });
    if (!readDetails(sessions))
        return std::nullopt;
    return sessions;
}

bool TeamJournal::readDetails(std::vector<JournalSession>& sessions) {
    std::unordered_map<qint64, JournalSession*> byId;
    QList<qint64> ids;
    for (JournalSession& session : sessions) {
        byId.emplace(session.id, &session);
        ids << session.id;
    }
    QSqlQuery polls(m_db);
    polls.setForwardOnly(true);
    polls.prepare(QStringLiteral("SELECT session, ms, reading1, reading2, reading3, word_index, word, shown,"
                                 " not_shown FROM telvar_polls WHERE session = ANY(?::bigint[])"
                                 " ORDER BY session, seq"));
    polls.addBindValue(idArray(ids));
    if (!polls.exec())
        return fail(polls.lastError().text());
    while (polls.next()) {
        byId.at(polls.value(0).toLongLong())
            ->polls.push_back({polls.value(1).toLongLong(),
                               {polls.value(2).toInt(), polls.value(3).toInt(), polls.value(4).toInt()},
                               polls.value(5).toInt(),
                               polls.value(6).toString(),
                               outcomeFrom(polls.value(7).toBool(), polls.value(8).toString())});
    }
    QSqlQuery words(m_db);
    words.setForwardOnly(true);
    words.prepare(QStringLiteral("SELECT session, ms, word_index, word FROM telvar_words"
                                 " WHERE session = ANY(?::bigint[]) ORDER BY session, seq"));
    words.addBindValue(idArray(ids));
    if (!words.exec())
        return fail(words.lastError().text());
    while (words.next())
        byId.at(words.value(0).toLongLong())
            ->words.push_back(
                {words.value(1).toLongLong(), words.value(2).toInt(), words.value(3).toString()});
    return true;
}

bool TeamJournal::execute(const QString& statement) {
    QSqlQuery query(m_db);
    return query.exec(statement) || fail(query.lastError().text());
}

bool TeamJournal::fail(const QString& text) {
    m_error = text.trimmed();
    return false;
}

} // namespace telvar
