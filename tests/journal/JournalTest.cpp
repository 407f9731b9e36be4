// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Timings.h"
#include "journal/JournalExport.h"
#include "journal/JournalStore.h"
#include "journal/SensorTrace.h"
#include "journal/SessionJournal.h"
#include "journal/SessionListModel.h"
#include "session/SessionController.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchFolder.h"
#include "support/VirtualTelvar.h"
#include "vocab/BuiltinVocabulary.h"
#include "vocab/Vocabulary.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <memory>
#include <optional>

#include <sys/stat.h>

using namespace telvar;
using namespace std::chrono_literals;

namespace {

std::vector<JournalSession> journalled(const QString& path) {
    JournalStore store;
    return store.openToRead(path) ? store.read().value_or(std::vector<JournalSession>{})
                                  : std::vector<JournalSession>{};
}

// Runs statements on the file through a connection of its own, as another program would.
bool sqlOn(const QString& file, const QStringList& statements) {
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("by hand"));
        db.setDatabaseName(file);
        ok = db.open();
        for (const QString& statement : statements)
            ok = ok && QSqlQuery(db).exec(statement);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("by hand"));
    return ok;
}

// The tables of the first journal, before it named devices and kept a layout version.
QStringList firstJournal() {
    return {
        QStringLiteral("PRAGMA application_id=1414941233"),
        QStringLiteral("CREATE TABLE sessions (id INTEGER PRIMARY KEY, started TEXT NOT NULL, window INTEGER "
                       "NOT NULL, question TEXT NOT NULL, answer TEXT NOT NULL DEFAULT '', end_reason TEXT "
                       "NOT NULL DEFAULT 'interrupted')"),
        QStringLiteral("CREATE TABLE polls (session INTEGER NOT NULL REFERENCES sessions(id), ms INTEGER "
                       "NOT NULL, reading1 INTEGER NOT NULL, reading2 INTEGER NOT NULL, reading3 INTEGER "
                       "NOT NULL, word_index INTEGER NOT NULL, word TEXT NOT NULL, shown INTEGER NOT NULL, "
                       "not_shown TEXT)"),
        QStringLiteral("CREATE TABLE words (session INTEGER NOT NULL REFERENCES sessions(id), ms INTEGER "
                       "NOT NULL, word_index INTEGER NOT NULL, word TEXT NOT NULL)"),
    };
}

int userVersion(const QString& file) {
    int version = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("by hand"));
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next())
                version = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("by hand"));
    return version;
}

// A journal of ours whose first page, past SQLite's header, is overwritten: the header still carries
// our id, SQLite finds the rest malformed.
QByteArray damagedJournal() {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("sessions.db"));
    if (!JournalStore().open(file))
        return {};
    QFile journal(file);
    if (!journal.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = journal.readAll();
    return bytes.left(100) + QByteArray(bytes.size() - 100, 'x');
}

int rowsIn(const QString& file, const QString& table) {
    int rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("by hand"));
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table)) && query.next())
                rows = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("by hand"));
    return rows;
}

} // namespace

class JournalTest : public QObject, test::ScratchFolder {
    Q_OBJECT
    Vocabulary m_vocabulary;
    std::unique_ptr<test::VirtualTelvar> m_device;
    std::unique_ptr<SessionController> m_session;

    // Asks with a scripted sensor, and waits until the window has closed and the last poll has finished.
    bool runSession(const QString& sensor, const QString& question = QStringLiteral("Anyone?")) {
        m_device->script(sensor);
        QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
        return m_session->ask(question, ResponseWindow::Seconds6) && ended.wait(20000) &&
               QTest::qWaitFor([this] { return !m_session->isTickRunning(); }, 20000);
    }

private Q_SLOTS:
    void initTestCase() {
        Timings::setDivisor(20); // a 6-second window in 0.3 s, a batch every 50 ms
        m_vocabulary.setList1(builtin::words());
    }

    void init() {
        QVERIFY(clearFolder());
        m_device = std::make_unique<test::VirtualTelvar>();
        QVERIFY(m_device->attach());
        m_device->link.setPausePeriod(20ms);
        m_session = std::make_unique<SessionController>(m_device->link, m_vocabulary);
        m_session->log().setPath(path("log.qnx"));
    }

    void cleanup() {
        m_session.reset();
        m_device.reset();
    }

    // Every follower gets the whole session: the journal keeps it, the trace draws it until the next
    // question.
    void theJournalAndTheTraceGetTheWholeSession() {
        std::vector<SessionPoll> polls;
        std::vector<SessionWord> words;
        connect(m_session.get(), &SessionController::polled, this,
                [&](const SessionPoll& p) { polls.push_back(p); });
        connect(m_session.get(), &SessionController::wordAccepted, this,
                [&](const SessionWord& w) { words.push_back(w); });
        SensorTrace trace;
        trace.follow(*m_session);
        {
            SessionJournal journal(path("sessions.db"));
            journal.follow(*m_session);
            QVERIFY(runSession(QStringLiteral("5/40/90,9/0/0x2,300/1/2,7/3/4"),
                               QStringLiteral("Anyone\r\nthere?")));
        }
        const std::vector<JournalSession> sessions = journalled(path("sessions.db"));
        QCOMPARE(sessions.size(), std::size_t(1));
        const JournalSession& kept = sessions.front();
        QCOMPARE(kept.question, QStringLiteral("Anyone\r\nthere?"));
        QCOMPARE(kept.device, m_device->device().serialNumber());
        QVERIFY2(kept.operatorName.contains(u'@'), qPrintable(kept.operatorName));
        QVERIFY(!QUuid::fromString(kept.uuid).isNull());
        QCOMPARE(kept.window, 6);
        QCOMPARE(kept.answer, QStringLiteral(" SUPPER HUMAN COME CARRIER"));
        QVERIFY(QDateTime::fromString(kept.started, Qt::ISODate).isValid());
        QVERIFY(polls.size() > 4);
        QCOMPARE(kept.polls, polls);
        QCOMPARE(kept.words, words);
        QCOMPARE(trace.windowMs(), 6000);
        QCOMPARE(trace.polls(), polls);
        QCOMPARE(trace.words(), words);
        QCOMPARE(trace.highestSum(), 303);

        QSignalSpy changed(&trace, &SensorTrace::changed);
        m_device->script(QStringLiteral("0"));
        QVERIFY(m_session->ask(QStringLiteral("again"), ResponseWindow::Seconds12));
        QCOMPARE(trace.windowMs(), 12000);
        QVERIFY(trace.words().empty());
        QVERIFY(!changed.isEmpty());
    }

    // The row's name says how the session ends.
    void theEndReasonIsKept_data() {
        QTest::addColumn<QString>("end");
        QTest::newRow("window") << "window ended";
        QTest::newRow("interrupt") << "interrupted";
        QTest::newRow("unplug") << "device gone";
        QTest::newRow("close") << "program closed";
    }
    void theEndReasonIsKept() {
        const QByteArray how = QTest::currentDataTag();
        {
            SessionJournal journal(path("sessions.db"));
            journal.follow(*m_session);
            m_device->script(QStringLiteral("5x1000"));
            QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
            QVERIFY(m_session->ask(QStringLiteral("Q"), ResponseWindow::Seconds24));
            if (how == "interrupt")
                m_session->endNow();
            else if (how == "unplug")
                m_device->library.unplug();
            else if (how == "close")
                m_session.reset();
            QVERIFY(!ended.isEmpty() || !m_session || ended.wait(20000));
        }
        const std::vector<JournalSession> sessions = journalled(path("sessions.db"));
        QCOMPARE(sessions.size(), std::size_t(1));
        QTEST(sessions.front().end, "end");
    }

    // A journal kept before sessions named their device (no user_version) is brought up to date in place by
    // the next writer, once: every session, poll and word stays, and each session gets a UUID of its own
    // that lasts.
    void aJournalWithoutDevicesIsMigratedKeepingEverySession() {
        const QString file = path("sessions.db");
        QVERIFY(sqlOn(
            file,
            firstJournal() +
                QStringList{
                    QStringLiteral(
                        "INSERT INTO sessions VALUES (1, '2024-03-07T14:05:09+01:00', 6, 'first', ' SUPPER', "
                        "'window ended')"),
                    QStringLiteral(
                        "INSERT INTO sessions VALUES (4, '2024-03-08T09:00:00+01:00', 12, 'second', '', "
                        "'interrupted')"),
                    QStringLiteral("INSERT INTO polls VALUES (1, 200, 5, 40, 90, 5, 'SUPPER', 1, NULL)"),
                    QStringLiteral("INSERT INTO words VALUES (1, 200, 5, 'SUPPER')"),
                }));
        // A reader lists it as it is and changes nothing; the first writer brings it up to date.
        QCOMPARE(journalled(file).size(), std::size_t(2));
        QCOMPARE(userVersion(file), 0);
        QVERIFY(JournalStore().open(file));
        std::vector<JournalSession> migrated = journalled(file);
        QCOMPARE(migrated.size(), std::size_t(2));
        QCOMPARE(migrated[0].id, 1);
        QCOMPARE(migrated[1].id, 4);
        QCOMPARE(migrated[0].question, QStringLiteral("first"));
        QCOMPARE(migrated[1].end, QStringLiteral("interrupted"));
        QCOMPARE(migrated[0].polls.size(), std::size_t(1));
        QCOMPARE(migrated[0].polls.front().readings, (std::array<int, 3>{5, 40, 90}));
        QCOMPARE(migrated[0].words.front().word, QStringLiteral("SUPPER"));
        QCOMPARE(migrated[0].device, QString());
        QVERIFY(!QUuid::fromString(migrated[0].uuid).isNull());
        QVERIFY(migrated[0].uuid != migrated[1].uuid);
        QCOMPARE(userVersion(file), JournalStore::kSchemaVersion);

        // Sessions asked after the migration go on from there; the old ones keep their UUIDs.
        {
            SessionJournal journal(file);
            journal.follow(*m_session);
            QVERIFY(runSession(QStringLiteral("7")));
        }
        const std::vector<JournalSession> after = journalled(file);
        QCOMPARE(after.size(), std::size_t(3));
        QCOMPARE(after[0].uuid, migrated[0].uuid);
        QCOMPARE(after[1].uuid, migrated[1].uuid);
        QCOMPARE(after[2].id, 5);
        QCOMPARE(after[2].device, m_device->device().serialNumber());
    }

    // A journal of version 2 gave the number of a deleted last session to the next one. It is brought up
    // to date in place, every session, reading, word and push kept; from then on no number comes back,
    // not even one whose session is only left as readings.
    void aJournalThatReusedNumbersIsMigratedAndNeverReusesOne() {
        const QString file = path("sessions.db");
        const QString uuid1 = QStringLiteral("0b4c5f7e-8a1d-4b7e-9c55-3f0e8d2a6b11");
        const QString uuid4 = QStringLiteral("5d0e2c9a-1f3b-4e8d-a6c7-9b2f4e1d8c04");
        QVERIFY(sqlOn(
            file,
            firstJournal() +
                QStringList{
                    QStringLiteral("ALTER TABLE sessions ADD COLUMN device TEXT NOT NULL DEFAULT ''"),
                    QStringLiteral("ALTER TABLE sessions ADD COLUMN operator TEXT NOT NULL DEFAULT ''"),
                    QStringLiteral("ALTER TABLE sessions ADD COLUMN uuid TEXT"),
                    QStringLiteral("CREATE UNIQUE INDEX sessions_by_uuid ON sessions(uuid)"),
                    QStringLiteral(
                        "CREATE TABLE team_pushes (uuid TEXT NOT NULL, server TEXT NOT NULL, PRIMARY "
                        "KEY (uuid, server)) WITHOUT ROWID"),
                    QStringLiteral("INSERT INTO sessions VALUES (1, '2024-03-07T14:05:09+01:00', 6, 'first', "
                                   "' SUPPER', 'window ended', 'TX-1', 'ann@bench', '%1')")
                        .arg(uuid1),
                    QStringLiteral(
                        "INSERT INTO sessions VALUES (4, '2024-03-08T09:00:00+01:00', 12, 'second', '', "
                        "'window ended', 'TX-1', 'ann@bench', '%1')")
                        .arg(uuid4),
                    QStringLiteral("INSERT INTO polls VALUES (1, 200, 5, 40, 90, 5, 'SUPPER', 1, NULL)"),
                    QStringLiteral("INSERT INTO words VALUES (1, 200, 5, 'SUPPER')"),
                    // What came for session 6 after it was deleted while it was recorded.
                    QStringLiteral("INSERT INTO polls VALUES (6, 400, 9, 9, 9, 9, '', 0, 'outside 1-2048')"),
                    QStringLiteral("INSERT INTO team_pushes VALUES ('%1', 'team.example')").arg(uuid1),
                    QStringLiteral("PRAGMA user_version=2"),
                }));
        QCOMPARE(journalled(file).size(), std::size_t(2)); // read as it is, left as it is
        QCOMPARE(userVersion(file), 2);

        JournalStore store;
        QVERIFY(store.open(file));
        QCOMPARE(userVersion(file), JournalStore::kSchemaVersion);
        const std::vector<JournalSession> migrated = journalled(file);
        QCOMPARE(migrated.size(), std::size_t(2));
        QCOMPARE(migrated[0].id, 1);
        QCOMPARE(migrated[1].id, 4);
        QCOMPARE(migrated[0].uuid, uuid1);
        QCOMPARE(migrated[1].uuid, uuid4);
        QCOMPARE(migrated[0].answer, QStringLiteral(" SUPPER"));
        QCOMPARE(migrated[0].device, QStringLiteral("TX-1"));
        QCOMPARE(migrated[0].polls.size(), std::size_t(1));
        QCOMPARE(migrated[0].words.size(), std::size_t(1));
        QCOMPARE(store.waitingCount(QStringLiteral("team.example")), std::optional(1));

        const auto ask = [&store] {
            const qint64 id =
                store.begin(QStringLiteral("2026-12-09T10:00:00+00:00"), 6, QStringLiteral("Q"), {}, {});
            return id > 0 && store.record(id, {}, {}, {}, SessionEnd::WindowEnded) ? id : 0;
        };
        QCOMPARE(ask(), 7);
        QCOMPARE(store.remove({7}), std::optional(1));
        QCOMPARE(ask(), 8);
        QCOMPARE(store.remove({4, 8}), std::optional(2));
        QCOMPARE(ask(), 9);
        QVERIFY(journalled(file)[1].polls.empty());
    }

    // A session's row deleted behind the recorder's back (by hand, or by a program that knew nothing of
    // running sessions) stops the recording of it, said once; the rest of it never reaches another
    // session, least of all the next one.
    void aSessionDeletedWhileRecordedTakesNoOtherSessionsReadings() {
        // A window long enough that the row is surely deleted before it ends, ended as soon as that is said.
        Timings::setDivisor(5);
        const auto restore = qScopeGuard([] { Timings::setDivisor(20); });
        m_session = std::make_unique<SessionController>(m_device->link, m_vocabulary);
        m_session->log().setPath(path("log.qnx"));
        const QString file = path("sessions.db");
        SessionJournal journal(file);
        QSignalSpy said(&journal, &SessionJournal::problem);
        journal.follow(*m_session);
        m_device->script(QStringLiteral("9/8/7x1000"));
        QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
        QVERIFY(m_session->ask(QStringLiteral("long"), ResponseWindow::Seconds24));
        QTRY_VERIFY(journalled(file).size() == 1 && !journalled(file).front().polls.empty());
        const qint64 id = journalled(file).front().id;
        QVERIFY(sqlOn(file, {QStringLiteral("DELETE FROM polls WHERE session = %1").arg(id),
                             QStringLiteral("DELETE FROM words WHERE session = %1").arg(id),
                             QStringLiteral("DELETE FROM sessions WHERE id = %1").arg(id)}));
        QTRY_COMPARE(said.size(), 1);
        QVERIFY2(said.first().first().toString().contains(QStringLiteral("session %1 was deleted").arg(id)),
                 qPrintable(said.first().first().toString()));
        QVERIFY(ended.isEmpty()); // the session itself goes on
        m_session->endNow();
        QVERIFY(!ended.isEmpty() || ended.wait(20000));
        QTRY_VERIFY(!m_session->isTickRunning());

        QVERIFY(runSession(QStringLiteral("5"), QStringLiteral("short")));
        QTRY_VERIFY(!journalled(file).empty() &&
                    journalled(file).front().end == QLatin1String("window ended"));
        const std::vector<JournalSession> kept = journalled(file);
        QCOMPARE(kept.size(), std::size_t(1));
        QVERIFY(kept.front().id > id);
        QCOMPARE(kept.front().question, QStringLiteral("short"));
        QCOMPARE(kept.front().polls.front().readings, (std::array<int, 3>{5, 0, 0}));
        for (const SessionPoll& poll : kept.front().polls)
            QVERIFY(poll.readings != (std::array<int, 3>{9, 8, 7}));
        QVERIFY(sqlOn(file, {QStringLiteral("DELETE FROM polls WHERE session = %1").arg(kept.front().id)}));
        QCOMPARE(rowsIn(file, QStringLiteral("polls")), 0); // nothing came for the deleted one
        QCOMPARE(said.size(), 1);
    }

    // A session some of whose readings could not be written (a full disk) ends as "readings missing", not
    // as a whole one: whichever batch was lost, even the last.
    void aSessionThatLostReadingsSaysSo_data() {
        QTest::addColumn<int>("lost"); // the batch written on a full disk; -1 for none
        QTest::addColumn<QString>("end");
        QTest::newRow("whole") << -1 << "window ended";
        QTest::newRow("a batch on the way") << 1 << "readings missing";
        QTest::newRow("the last batch") << 2 << "readings missing";
    }
    void aSessionThatLostReadingsSaysSo() {
        QFETCH(int, lost);
        const QString file = path("sessions.db");
        JournalStore store;
        QVERIFY(store.open(file));
        const qint64 id =
            store.begin(QStringLiteral("2026-12-09T10:00:00+00:00"), 24, QStringLiteral("Q"), {}, {});
        QVERIFY(id > 0);
        // Enough readings that each batch needs pages the file does not have yet.
        const std::vector<SessionPoll> batch(300,
                                             SessionPoll{200, {9, 8, 7}, 9, {}, PollOutcome::OutsideRange});
        for (int n = 0; n < 3; ++n) {
            std::optional<test::FileSizeLimit> full;
            if (n == lost)
                full.emplace(rlim_t(QFileInfo(file).size()));
            const bool last = n == 2;
            QCOMPARE(store.record(id, batch, {}, QStringLiteral(" SUPPER"),
                                  last ? std::optional(SessionEnd::WindowEnded) : std::nullopt),
                     n != lost);
        }
        QVERIFY(!store.writesSession(id));
        const std::vector<JournalSession> kept = journalled(file);
        QCOMPARE(kept.size(), std::size_t(1));
        QTEST(kept.front().end, "end");
        QCOMPARE(kept.front().answer, QStringLiteral(" SUPPER"));
        QCOMPARE(kept.front().polls.size(), batch.size() * (lost < 0 ? 3 : 2));
        SessionListModel history;
        history.setSessions(kept);
        QCOMPARE(
            history.index(0, SessionListModel::Answer).data().toString().contains(QLatin1String("missing")),
            lost >= 0);
    }

    // The file of the running sessions' locks is a regular file or nothing: whatever else is at its path
    // is refused by recorder and delete alike, and left as it is.
    void theRunningSessionsFileIsOnlyEverARegularFile_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"fifo", "folder", "link"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void theRunningSessionsFileIsOnlyEverARegularFile() {
        QFETCH(QString, kind);
        const QString file = path("sessions.db");
        const QString running = file + QStringLiteral(".running");
        JournalStore store;
        QVERIFY(store.open(file));
        const qint64 ended =
            store.begin(QStringLiteral("2026-12-09T10:00:00+00:00"), 6, QStringLiteral("before"), {}, {});
        QVERIFY(ended > 0 && store.record(ended, {}, {}, {}, SessionEnd::WindowEnded));
        QVERIFY(QFile::remove(running));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(running).constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(running));
        else
            QVERIFY(QFile::link(path("elsewhere"), running));

        QCOMPARE(
            store.begin(QStringLiteral("2026-12-09T10:01:00+00:00"), 6, QStringLiteral("refused"), {}, {}),
            0);
        QVERIFY2(store.errorString().contains(QStringLiteral("not a regular file")),
                 qPrintable(store.errorString()));
        JournalStore reader;
        QVERIFY(reader.openToRead(file));
        QCOMPARE(reader.runningAmong({ended}), std::nullopt);
        QCOMPARE(reader.remove({ended}), std::nullopt);
        QCOMPARE(journalled(file).size(), std::size_t(1));
        const QFileInfo left(running);
        QVERIFY(left.isSymLink() || left.isDir() || (left.exists() && !left.isFile()));
        QVERIFY(!QFileInfo::exists(path("elsewhere")));
    }

    void aJournalThatCannotBeUsedIsSaidOnceAndTheSessionRunsOn_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("setAside"); // and then kept in a fresh journal
        // Only what carries our id is ours to set aside; anything else is left where it is.
        QTest::newRow("garbage") << "garbage" << false;
        QTest::newRow("damaged, with our id") << "damaged" << true;
        QTest::newRow("another program's database") << "foreign" << false;
        QTest::newRow("folder that cannot be made") << "under a file" << false;
        QTest::newRow("folder in its place") << "folder" << false;
        // Written by a newer program: left as it is for that program, not set aside.
        QTest::newRow("newer journal") << "newer" << false;
    }
    void aJournalThatCannotBeUsedIsSaidOnceAndTheSessionRunsOn() {
        QFETCH(QString, kind);
        QFETCH(bool, setAside);
        const char* name = kind == QLatin1String("under a file") ? "blocker/sessions.db" : "sessions.db";
        if (kind == QLatin1String("garbage")) {
            put(name, QByteArray("this is no database\n").repeated(300));
        } else if (kind == QLatin1String("damaged")) {
            put(name, damagedJournal());
        } else if (kind == QLatin1String("foreign")) {
            QVERIFY(sqlOn(path(name), {QStringLiteral("CREATE TABLE notes (text TEXT)")}));
        } else if (kind == QLatin1String("newer")) {
            QVERIFY(JournalStore().open(path(name)));
            QVERIFY(sqlOn(path(name),
                          {QStringLiteral("PRAGMA user_version=%1").arg(JournalStore::kSchemaVersion + 1)}));
        } else if (kind == QLatin1String("under a file")) {
            put("blocker", {}); // permission bits do not stop root; a file where the folder should be does
        } else {
            QVERIFY(QDir().mkpath(path(name)));
        }
        const QByteArray before = contentOf(name);
        {
            SessionJournal journal(path(name));
            QSignalSpy said(&journal, &SessionJournal::problem);
            journal.follow(*m_session);
            QVERIFY(runSession(QStringLiteral("5"), QStringLiteral("first")));
            QVERIFY(runSession(QStringLiteral("7"), QStringLiteral("second")));
            QTRY_COMPARE(said.size(), 1);
            QVERIFY2(said.first().first().toString().contains(QStringLiteral("journal")),
                     qPrintable(said.first().first().toString()));
        }
        const QByteArray log = contentOf("log.qnx");
        QVERIFY(log.contains("Telvar X  : SUPPER  ") && log.contains("Telvar X  : CARRIER  "));
        if (kind == QLatin1String("newer"))
            QCOMPARE(contentOf(name), before);

        const QStringList aside =
            QDir(m_folder.path()).entryList({QStringLiteral("sessions.db.unreadable-*")}, QDir::Files);
        QCOMPARE(aside.size(), setAside ? 1 : 0);
        if (setAside) {
            QCOMPARE(contentOf(qPrintable(aside.first())), before);
            QCOMPARE(journalled(path(name)).size(), std::size_t(2));
        } else {
            QCOMPARE(contentOf(name), before);
        }
    }

    // A file is our journal only by the id in its header, or, from before the id, by its tables; the
    // writer asks nothing of the user first, so whatever else lies at the path is refused and left byte
    // for byte as it was, and only our own damaged journal is set aside.
    void aJournalIsKnownByItsMark_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<bool>("setAside");
        QTest::newRow("empty file") << "empty" << true << false;
        QTest::newRow("journal from before the id") << "unmarked" << true << false;
        QTest::newRow("our id, damaged") << "damaged" << true << true;
        QTest::newRow("text") << "text" << false << false;
        QTest::newRow("SQLite's header alone") << "header" << false << false;
        QTest::newRow("another program's id") << "foreign id" << false << false;
        QTest::newRow("no id, other tables") << "other tables" << false << false;
        QTest::newRow("no id, no tables") << "no tables" << false << false;
    }
    void aJournalIsKnownByItsMark() {
        QFETCH(QString, kind);
        QFETCH(bool, taken);
        QFETCH(bool, setAside);
        const QString file = path("sessions.db");
        const QString firstTables = QStringLiteral(
            "CREATE TABLE sessions (id INTEGER PRIMARY KEY, started TEXT NOT NULL, window INTEGER NOT NULL,"
            " question TEXT NOT NULL, answer TEXT NOT NULL DEFAULT '', end_reason TEXT NOT NULL DEFAULT"
            " 'interrupted');"
            "CREATE TABLE polls (session INTEGER, ms INTEGER, reading1 INTEGER, reading2 INTEGER, reading3"
            " INTEGER, word_index INTEGER, word TEXT, shown INTEGER, not_shown TEXT);"
            "CREATE TABLE words (session INTEGER, ms INTEGER, word_index INTEGER, word TEXT)");
        if (kind == QLatin1String("empty"))
            put("sessions.db", {});
        else if (kind == QLatin1String("unmarked"))
            QVERIFY(sqlOn(file, firstTables.split(u';') +
                                    QStringList{QStringLiteral("INSERT INTO sessions VALUES (3, "
                                                               "'2024-03-07T14:05:09+01:00', 6, 'old', '', "
                                                               "'window ended')")}));
        else if (kind == QLatin1String("damaged"))
            put("sessions.db", damagedJournal());
        else if (kind == QLatin1String("text"))
            put("sessions.db", "SUPPER\r\nHUMAN\r\n");
        else if (kind == QLatin1String("header"))
            put("sessions.db", QByteArray("SQLite format 3\0", 16) + QByteArray(20, '\0'));
        else if (kind == QLatin1String("foreign id"))
            QVERIFY(
                sqlOn(file, {QStringLiteral("PRAGMA application_id=7"), firstTables.split(u';').first()}));
        else if (kind == QLatin1String("other tables"))
            QVERIFY(sqlOn(file, {QStringLiteral("CREATE TABLE notes (text TEXT)")}));
        else
            QVERIFY(sqlOn(file, {QStringLiteral("PRAGMA user_version=3")}));
        const QByteArray before = contentOf("sessions.db");

        JournalStore store;
        QCOMPARE(store.mayOpen(file), taken);
        QCOMPARE(contentOf("sessions.db"), before);
        QString aside;
        QCOMPARE(store.open(file, &aside), taken);
        QCOMPARE(!aside.isEmpty(), setAside);
        if (!taken) {
            QVERIFY2(store.errorString().contains(QLatin1String("left as it is")),
                     qPrintable(store.errorString()));
            QCOMPARE(contentOf("sessions.db"), before);
            QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files),
                     QStringList{QStringLiteral("sessions.db")});
            return;
        }
        // Taken, it carries our id from then on; an older journal keeps its sessions.
        QCOMPARE(contentOf("sessions.db").mid(68, 4), QByteArray("TVJ1"));
        QCOMPARE(journalled(file).size(), std::size_t(kind == QLatin1String("unmarked") ? 1 : 0));
    }

    // A spreadsheet opening the export must not run a word as a formula; the numbers stay numbers.
    void csvCellsThatLookLikeFormulasStayText_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QByteArray>("cell");
        QTest::newRow("equals") << "=1+2" << QByteArray("'=1+2");
        QTest::newRow("plus") << "+1" << QByteArray("'+1");
        QTest::newRow("minus") << "-1" << QByteArray("'-1");
        QTest::newRow("at") << "@SUM(A1)" << QByteArray("'@SUM(A1)");
        QTest::newRow("tab") << "\tx" << QByteArray("'\tx");
        QTest::newRow("carriage return") << "\rx" << QByteArray("\"'\rx\"");
        QTest::newRow("formula with a comma") << "=A1,B1" << QByteArray("\"'=A1,B1\"");
        QTest::newRow("a word") << "SUPPER" << QByteArray("SUPPER");
        QTest::newRow("a word with a dash") << "X-RAY" << QByteArray("X-RAY");
    }
    void csvCellsThatLookLikeFormulasStayText() {
        QFETCH(QString, word);
        QFETCH(QByteArray, cell);
        const SessionPoll poll{-200, {5, 0, 0}, 5, word, PollOutcome::Shown};
        QCOMPARE(journalexport::traceCsv({poll}).split('\n').at(1), "-200,5,0,0,5," + cell + ",1");
    }

    // A reader makes, changes and renames nothing, whatever lies at the journal's path; what is no journal
    // of ours is refused.
    void readersNeverWrite_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readable");
        QTest::newRow("absent") << "absent" << true;
        QTest::newRow("journal") << "journal" << true;
        QTest::newRow("another program's database") << "foreign" << false;
        QTest::newRow("no database") << "garbage" << false;
    }
    void readersNeverWrite() {
        QFETCH(QString, kind);
        QFETCH(bool, readable);
        if (kind == QLatin1String("journal")) {
            SessionJournal journal(path("sessions.db"));
            journal.follow(*m_session);
            QVERIFY(runSession(QStringLiteral("5")));
        } else if (kind == QLatin1String("foreign")) {
            QVERIFY(sqlOn(path("sessions.db"), {QStringLiteral("CREATE TABLE notes (text TEXT)")}));
        } else if (kind == QLatin1String("garbage")) {
            put("sessions.db", QByteArray("this is no database\n").repeated(300));
        }
        QFile::remove(path("log.qnx"));
        const QStringList files = QDir(m_folder.path()).entryList(QDir::Files);
        const QByteArray before = contentOf("sessions.db");
        JournalStore reader;
        QCOMPARE(reader.openToRead(path("sessions.db")), readable);
        if (readable)
            QCOMPARE(reader.list().size(), std::size_t(kind == QLatin1String("journal") ? 1 : 0));
        else
            QVERIFY2(reader.errorString().contains(QLatin1String("journal")),
                     qPrintable(reader.errorString()));
        QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files), files);
        QCOMPARE(contentOf("sessions.db"), before);
    }

    // The journal holds the user's own questions: nobody else may read it. One deleted while a session
    // is being recorded is said once, and the next session begins a new one.
    void aJournalIsPrivateAndItsLossIsSaid() {
        SessionJournal journal(path("sessions.db"));
        QSignalSpy said(&journal, &SessionJournal::problem);
        journal.follow(*m_session);
        QVERIFY(runSession(QStringLiteral("5")));
        QCOMPARE(QFileInfo(path("sessions.db")).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFileDevice::Permissions());

        m_device->script(QStringLiteral("5,7,9x1000"));
        QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
        QVERIFY(m_session->ask(QStringLiteral("lost"), ResponseWindow::Seconds24));
        QTRY_VERIFY(journalled(path("sessions.db")).size() == 2);
        QVERIFY(QFile::remove(path("sessions.db")));
        QVERIFY(ended.wait(20000));
        QTRY_COMPARE(said.size(), 1);
        QVERIFY2(said.first().first().toString().contains(QLatin1String("deleted")),
                 qPrintable(said.first().first().toString()));
        QTRY_VERIFY(!m_session->isTickRunning());
        QVERIFY(runSession(QStringLiteral("7"), QStringLiteral("after")));
        QTRY_COMPARE(journalled(path("sessions.db")).size(), std::size_t(1));
        QCOMPARE(said.size(), 1);
    }
};

QTEST_GUILESS_MAIN(JournalTest)
#include "JournalTest.moc"
