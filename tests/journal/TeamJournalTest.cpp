// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/TeamJournal.h"
#include "app/Mainform.h"
#include "app/ProgramSettings.h"
#include "app/TeamJournalDialog.h"
#include "app/TeamJournalLink.h"
#include "emulator/EmulatedLibrary.h"
#include "journal/JournalExport.h"
#include "journal/JournalStore.h"
#include "journal/SessionHistoryWindow.h"
#include "journal/TeamJournalPusher.h"
#include "journal/TeamJournalTrouble.h"
#include "support/FakePrompter.h"
#include "support/ThrowawayPostgres.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <set>

using namespace telvar;

namespace {

// Sessions as two computers keep them: texts that need quoting on the way, polls of every outcome.
void keepSessions(const QString& journal, const QString& device, int count) {
    JournalStore store;
    QVERIFY2(store.open(journal), qPrintable(store.errorString()));
    for (int n = 0; n < count; ++n) {
        const QString question = QStringLiteral("Who \"is\" there, %1? {a,b} \\ é").arg(n);
        const qint64 id = store.begin(QStringLiteral("2024-03-07T14:05:0%1+01:00").arg(n), 6, question,
                                      device, QStringLiteral("ann@lab-%1").arg(device));
        const std::vector<SessionPoll> polls{
            {200, {5, 40, 90}, 5, QStringLiteral("SUPPER"), PollOutcome::Shown},
            {400, {5, 41, 91}, 5, QStringLiteral("SUPPER"), PollOutcome::RecentlyShown},
            {600, {3000, 0, 1}, 3000, QString(), PollOutcome::OutsideRange},
            {800, {7, 0, 0}, 7, QStringLiteral("NULL, \"quoted\""), PollOutcome::ScreenHidden}};
        const std::vector<SessionWord> words{{200, 5, QStringLiteral("SUPPER")},
                                             {800, 7, QStringLiteral("NULL, \"quoted\"")}};
        QVERIFY(id > 0 && store.record(id, polls, words, QStringLiteral(" SUPPER"), SessionEnd::WindowEnded));
    }
}

} // namespace

class TeamJournalTest : public QObject {
    Q_OBJECT
    test::ThrowawayPostgres m_server;
    QTemporaryDir m_dir;
    TeamJournalAddress m_address;

    QString journal(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // Statements run on the server as its owner, beside the program.
    bool serverSql(const QStringList& statements) {
        bool ok = true;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("by hand"));
            db.setHostName(m_server.socket());
            db.setUserName(QString::fromLatin1(test::ThrowawayPostgres::kUser));
            db.setDatabaseName(QStringLiteral("telvar"));
            ok = db.open();
            for (const QString& statement :
                 QStringList{QStringLiteral("SET client_min_messages = warning")} + statements) {
                QSqlQuery query(db);
                ok = ok && query.exec(statement);
                if (!ok)
                    qWarning() << statement << query.lastError().text();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("by hand"));
        return ok;
    }

    static bool localSql(const QString& file, const QString& statement) {
        bool ok = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("local"));
            db.setDatabaseName(file);
            ok = db.open() && QSqlQuery(db).exec(statement);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("local"));
        return ok;
    }

    std::vector<JournalSession> onTheTeam() {
        TeamJournal team;
        if (!team.open(m_address))
            return {};
        return team.read().value_or(std::vector<JournalSession>{});
    }

private Q_SLOTS:
    void initTestCase() {
        if (!m_server.start())
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server to test against: ") + m_server.whyNot()));
        qputenv("PGPASSWORD", test::ThrowawayPostgres::kPassword);
        QString error;
        m_address = TeamJournalAddress::parse(m_server.url(), &error).value_or(TeamJournalAddress());
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void init() {
        QVERIFY(m_dir.isValid());
        for (const char* name : {"a.db", "b.db"})
            QFile::remove(journal(name));
        serverSql({QStringLiteral("DROP TABLE IF EXISTS telvar_words, telvar_polls, telvar_sessions, "
                                  "telvar_schema")});
    }

    // Two computers push the same hour: every session of both arrives once, as it was kept, and the
    // team's export equals the local one but for the ids.
    void sessionsOfTwoComputersArriveOnceAsTheyWere() {
        keepSessions(journal("a.db"), QStringLiteral("TVX-A"), 3);
        keepSessions(journal("b.db"), QStringLiteral("TVX-B"), 2);
        const TeamPushResult first = TeamJournalPusher::pushNow(journal("a.db"), m_address);
        QVERIFY2(first.error.isEmpty(), qPrintable(first.error));
        QCOMPARE(first.pushed, 3);
        QCOMPARE(first.waiting, 0);
        QCOMPARE(TeamJournalPusher::pushNow(journal("b.db"), m_address).pushed, 2);
        QCOMPARE(TeamJournalPusher::pushNow(journal("a.db"), m_address).pushed, 0);

        JournalStore local;
        QVERIFY(local.open(journal("a.db")));
        std::vector<JournalSession> mine = local.read().value();
        std::vector<JournalSession> team = onTheTeam();
        QCOMPARE(team.size(), std::size_t(5));
        QCOMPARE(team[4].device, QStringLiteral("TVX-B"));
        team.resize(3);
        QCOMPARE(team[0].operatorName, QStringLiteral("ann@lab-TVX-A"));
        QCOMPARE(team[0].uuid, mine[0].uuid);
        QCOMPARE(journalexport::sessionsJson(team), journalexport::sessionsJson(mine));
        QCOMPARE(journalexport::pollsCsv(team), journalexport::pollsCsv(mine));
    }

    void sessionsWaitThroughAFaultAndGoOnceAfter_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("trouble");
        QTest::newRow("server down") << "down"
                                     << ""
                                     << "unreachable: no server at the socket";
        QTest::newRow("cut off mid-push") << "cut"
                                          << "terminating connection"
                                          << "push cut off: connection lost";
        QTest::newRow("wrong password") << "password"
                                        << "password authentication failed"
                                        << "unreachable: wrong password";
        QTest::newRow("newer schema") << "schema"
                                      << "newer version of this program"
                                      << "refused: its tables are newer than this program";
    }
    void sessionsWaitThroughAFaultAndGoOnceAfter() {
        QFETCH(QString, fault);
        QFETCH(QString, said);
        QFETCH(QString, trouble);
        keepSessions(journal("a.db"), QStringLiteral("TVX-A"), 3);
        QCOMPARE(TeamJournalPusher::pushNow(journal("a.db"), m_address).pushed, 3);
        // The server kept the first session, but its answer never came back: here all three still wait.
        QVERIFY(serverSql({QStringLiteral("DELETE FROM telvar_sessions WHERE id > 1")}));
        QVERIFY(localSql(journal("a.db"), QStringLiteral("DELETE FROM team_pushes")));

        if (fault == QLatin1String("down"))
            QVERIFY(m_server.stop());
        else if (fault == QLatin1String("cut"))
            QVERIFY(serverSql(
                {QStringLiteral(
                     "CREATE FUNCTION telvar_cut() RETURNS trigger AS $$ BEGIN PERFORM "
                     "pg_terminate_backend(pg_backend_pid()); RETURN NEW; END $$ LANGUAGE plpgsql"),
                 QStringLiteral("CREATE TRIGGER telvar_cut BEFORE INSERT ON telvar_words FOR EACH ROW "
                                "EXECUTE FUNCTION telvar_cut()")}));
        else if (fault == QLatin1String("password"))
            qputenv("PGPASSWORD", "not-the-password");
        else
            QVERIFY(serverSql({QStringLiteral("UPDATE telvar_schema SET version = %1")
                                   .arg(TeamJournal::kSchemaVersion + 1)}));

        const TeamPushResult failed = TeamJournalPusher::pushNow(journal("a.db"), m_address);
        QVERIFY(!failed.error.isEmpty());
        QVERIFY2(failed.error.contains(said), qPrintable(failed.error));
        QCOMPARE(teamJournalTrouble(failed.error), trouble);
        QVERIFY2(!failed.error.contains(m_address.name()), "the caller names the server, once");
        QVERIFY2(!failed.error.contains(QLatin1String("not-the-password")), "the password is never shown");
        QCOMPARE(failed.pushed, 0);
        QCOMPARE(failed.waiting, 3);

        if (fault == QLatin1String("down"))
            QVERIFY2(m_server.start(), qPrintable(m_server.whyNot()));
        else if (fault == QLatin1String("cut"))
            QVERIFY(serverSql({QStringLiteral("DROP TRIGGER telvar_cut ON telvar_words"),
                               QStringLiteral("DROP FUNCTION telvar_cut()")}));
        else if (fault == QLatin1String("password"))
            qputenv("PGPASSWORD", test::ThrowawayPostgres::kPassword);
        else
            QVERIFY(serverSql(
                {QStringLiteral("UPDATE telvar_schema SET version = %1").arg(TeamJournal::kSchemaVersion)}));

        const TeamPushResult after = TeamJournalPusher::pushNow(journal("a.db"), m_address);
        QVERIFY2(after.error.isEmpty(), qPrintable(after.error));
        QCOMPARE(after.waiting, 0);
        std::set<QString> uuids;
        const std::vector<JournalSession> team = onTheTeam();
        for (const JournalSession& session : team)
            uuids.insert(session.uuid);
        QCOMPARE(team.size(), std::size_t(3));
        QCOMPARE(uuids.size(), std::size_t(3));
        QCOMPARE(team.back().words.size(), std::size_t(2));
    }

    // A session arrives again, as another copy of it: only a finished copy replaces an unfinished one
    // (its program stalled past a push, then ended), whole and under its team id; nothing else changes
    // what the team holds, and a copy it holds counts as already there, not as pushed.
    void aSessionPushedAgainReplacesOnlyAnUnfinishedCopy_data() {
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("arriving");
        QTest::addColumn<int>("pushed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("polls");
        QTest::newRow("new") << ""
                             << "window ended" << 1 << "window ended" << 14;
        QTest::newRow("unfinished, then ended") << "interrupted"
                                                << "window ended" << 1 << "window ended" << 14;
        QTest::newRow("unfinished, then its device left") << "interrupted"
                                                          << "device gone" << 1 << "device gone" << 14;
        QTest::newRow("the same, again") << "window ended"
                                         << "window ended" << 0 << "window ended" << 14;
        QTest::newRow("a stale copy after the end") << "window ended"
                                                    << "interrupted" << 0 << "window ended" << 14;
        QTest::newRow("unfinished twice") << "interrupted"
                                          << "interrupted" << 0 << "interrupted" << 9;
    }
    void aSessionPushedAgainReplacesOnlyAnUnfinishedCopy() {
        QFETCH(QString, held);
        QFETCH(QString, arriving);
        QFETCH(int, pushed);
        QFETCH(QString, kept);
        QFETCH(int, polls);
        const auto session = [](const QString& uuid, const QString& end, int polls) {
            JournalSession made;
            made.started = QStringLiteral("2024-03-07T14:05:00+01:00");
            made.window = 6;
            made.question = QStringLiteral("Who?");
            made.end = end;
            made.device = QStringLiteral("TVX-A");
            made.operatorName = QStringLiteral("ann@lab");
            made.uuid = uuid;
            for (int n = 0; n < polls; ++n)
                made.polls.push_back({200 * (n + 1), {n, 0, 0}, n, QStringLiteral("W"), PollOutcome::Shown});
            made.words.push_back({200, 0, QStringLiteral("SUPPER")});
            return made;
        };
        const auto copy = [&session](const QString& end) {
            const bool finished = end != QLatin1String("interrupted");
            JournalSession made =
                session(QStringLiteral("5f0c2c3e-54b6-4a43-9b4e-2f0d6c0c3a11"), end, finished ? 14 : 9);
            if (finished)
                made.words.push_back({2000, 9, QStringLiteral("TEA")});
            return made;
        };
        TeamJournal team;
        QVERIFY2(team.open(m_address), qPrintable(team.errorString()));
        QVERIFY(team.push({session(QStringLiteral("0b7c9b1e-97f1-4d7e-8f8b-1c3b4b1f2a00"),
                                   QStringLiteral("window ended"), 1)}));
        if (!held.isEmpty())
            QVERIFY(team.push({copy(held)}));

        const auto counts = team.push({copy(arriving)});
        QVERIFY2(counts, qPrintable(team.errorString()));
        QCOMPARE(counts->added + counts->replaced, pushed);
        QCOMPARE(counts->alreadyThere, 1 - pushed);
        const std::vector<JournalSession> there = onTheTeam();
        QCOMPARE(there.size(), std::size_t(2));
        QCOMPARE(there[1].id, there[0].id + 1); // a replaced session keeps the place it arrived in
        QCOMPARE(there[1].end, kept);
        QCOMPARE(int(there[1].polls.size()), polls);
        QCOMPARE(there[1].wordCount, int(there[1].words.size()));
    }

    // A session whose program stalls long past its window is still recorded: it goes once it ends, whole;
    // one whose program died goes as it was left; one an older program pushed before its end is replaced.
    void aSessionGoesToTheTeamOnlyWhenItIsFinal_data() {
        QTest::addColumn<QString>("fate");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("polls");
        QTest::newRow("stalls, then ends") << "ends"
                                           << "window ended" << 14;
        QTest::newRow("its program dies") << "dies"
                                          << "interrupted" << 9;
        QTest::newRow("pushed before its end, then ends") << "pushed early"
                                                          << "window ended" << 14;
    }
    void aSessionGoesToTheTeamOnlyWhenItIsFinal() {
        QFETCH(QString, fate);
        QFETCH(QString, kept);
        QFETCH(int, polls);
        const auto readings = [](int from, int count) {
            std::vector<SessionPoll> made;
            for (int n = from; n < from + count; ++n)
                made.push_back({200 * (n + 1), {n, 0, 0}, n, QStringLiteral("W"), PollOutcome::Shown});
            return made;
        };
        auto recorder = std::make_unique<JournalStore>();
        QVERIFY(recorder->open(journal("a.db")));
        // Its window closed an hour ago as far as the clock is concerned.
        const qint64 id =
            recorder->begin(QStringLiteral("2024-03-07T14:05:00+01:00"), 6, QStringLiteral("Who?"),
                            QStringLiteral("TVX-A"), QStringLiteral("ann@lab"));
        QVERIFY(id > 0 && recorder->record(id, readings(0, 9), {}, QStringLiteral(" SUPPER")));
        const TeamPushResult whileRunning = TeamJournalPusher::pushNow(journal("a.db"), m_address);
        QVERIFY2(whileRunning.error.isEmpty(), qPrintable(whileRunning.error));
        QCOMPARE(whileRunning.pushed, 0);
        QVERIFY(onTheTeam().empty());

        if (fate == QLatin1String("pushed early")) {
            JournalStore local;
            QVERIFY(local.openToRead(journal("a.db")));
            auto early = local.read({id});
            QVERIFY(early && early->size() == 1);
            early->front().end = QStringLiteral("interrupted"); // as an older program pushed it
            TeamJournal team;
            QVERIFY(team.open(m_address) && team.push(*early));
            QVERIFY(recorder->markPushed({early->front().uuid}, m_address.name()));
        }
        if (fate == QLatin1String("dies"))
            recorder.reset();
        else
            QVERIFY(recorder->record(id, readings(9, 5), {}, QStringLiteral(" SUPPER TEA"),
                                     SessionEnd::WindowEnded));

        const TeamPushResult after = TeamJournalPusher::pushNow(journal("a.db"), m_address);
        QVERIFY2(after.error.isEmpty(), qPrintable(after.error));
        QCOMPARE(after.pushed, 1);
        QCOMPARE(after.waiting, 0);
        const std::vector<JournalSession> team = onTheTeam();
        QCOMPARE(team.size(), std::size_t(1));
        QCOMPARE(team[0].end, kept);
        QCOMPARE(int(team[0].polls.size()), polls);
    }

    // Two computers hold copies of one journal: the second push finds every session there already.
    void aCopyOfAJournalFindsItsSessionsAlreadyThere() {
        keepSessions(journal("a.db"), QStringLiteral("TVX-A"), 3);
        QVERIFY(QFile::copy(journal("a.db"), journal("b.db")));
        QCOMPARE(TeamJournalPusher::pushNow(journal("a.db"), m_address).pushed, 3);
        const TeamPushResult copy = TeamJournalPusher::pushNow(journal("b.db"), m_address);
        QVERIFY2(copy.error.isEmpty(), qPrintable(copy.error));
        QCOMPARE(copy.pushed, 0);
        QCOMPARE(copy.alreadyThere, 3);
        QCOMPARE(copy.waiting, 0);
        QCOMPARE(onTheTeam().size(), std::size_t(3));
    }

    // The worker thread answers at once and reports later; an unreachable server leaves the sessions
    // waiting.
    void thePusherWorksOnItsOwnThread() {
        keepSessions(journal("a.db"), QStringLiteral("TVX-A"), 2);
        QString error;
        const auto nowhere = TeamJournalAddress::parse(
            QStringLiteral("postgresql://telvar@/telvar?host=%1/none").arg(m_dir.path()), &error);
        QVERIFY(nowhere);
        TeamJournalPusher pusher(journal("a.db"), *nowhere);
        QSignalSpy finished(&pusher, &TeamJournalPusher::finished);
        pusher.pushSoon();
        QVERIFY(pusher.isPushing());
        QVERIFY(finished.wait(20000));
        const auto result = finished.takeFirst().at(0).value<TeamPushResult>();
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(result.waiting, 2);

        TeamJournalPusher reachable(journal("a.db"), m_address);
        QSignalSpy pushed(&reachable, &TeamJournalPusher::finished);
        reachable.pushSoon();
        reachable.pushSoon(); // asked again while the first runs: one more push follows, finding nothing
        QTRY_COMPARE_WITH_TIMEOUT(pushed.size(), 2, 20000);
        QCOMPARE(pushed.at(0).at(0).value<TeamPushResult>().pushed, 2);
        QCOMPARE(pushed.at(1).at(0).value<TeamPushResult>().pushed, 0);
    }

    // The history's Team view reads the server on a thread and shows whose session each was.
    void theHistoryShowsTheTeamsSessions() {
        keepSessions(journal("a.db"), QStringLiteral("TVX-A"), 1);
        keepSessions(journal("b.db"), QStringLiteral("TVX-B"), 2);
        for (const char* name : {"a.db", "b.db"})
            QCOMPARE(TeamJournalPusher::pushNow(journal(name), m_address).pushed, name[0] == 'a' ? 1 : 2);
        test::FakePrompter prompter;
        SessionHistoryWindow window(journal("a.db"), prompter);
        auto* source = window.findChild<QComboBox*>(QStringLiteral("historySource"));
        auto* table = window.findChild<QTableView*>(QStringLiteral("historyTable"));
        window.showTeam(true);
        QVERIFY(!window.showsTeam()); // no team journal set yet
        window.setTeamJournal(m_address);
        source->setCurrentIndex(1);
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 3, 20000);
        QCOMPARE(table->model()->index(0, SessionListModel::Device).data().toString(),
                 QStringLiteral("TVX-B"));
        QCOMPARE(table->model()->index(2, SessionListModel::Operator).data().toString(),
                 QStringLiteral("ann@lab-TVX-A"));

        table->selectRow(0);
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("historyDelete"))->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(window.trace().polls().size(), std::size_t(4), 20000);
        const QString report = m_dir.filePath(QStringLiteral("team.svg"));
        QVERIFY(window.saveReport(report, window.selectedIds()));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(report), 20000);

        source->setCurrentIndex(0);
        QCOMPARE(table->model()->rowCount(), 1);
    }

    // Every way a password could ride in an address, and every address that does not parse: refused
    // when read, and the reason never repeats the secret ("PW" below stands for it).
    void urlsThatAreNoTeamJournalAreRefused_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("reason");
        const QString password = QStringLiteral("holds a password");
        const QString port = QStringLiteral("1 to 65535");
        const QString host = QStringLiteral("no host");
        const QString parameter = QStringLiteral("blanks, quotes");
        const QString form = QStringLiteral("postgresql://USER@");
        QTest::newRow("another scheme") << "mysql://me:PW@host/db" << form;
        QTest::newRow("pgsql scheme") << "pgsql://telvar:PW@localhost/db" << form;
        QTest::newRow("one slash") << "postgres:/telvar:PW@/db" << form;
        QTest::newRow("no scheme") << "telvar:PW@/db" << form;
        QTest::newRow("no database") << "postgresql://me@host"
                                     << "no database";
        QTest::newRow("password inside") << "postgresql://me:PW@host/db" << password;
        QTest::newRow("empty password") << "postgresql://me:@host/db" << password;
        QTest::newRow("encoded colon") << "postgresql://me%3APW@host/db" << password;
        QTest::newRow("password, port too big") << "postgresql://telvar:PW@localhost:99999/db" << password;
        QTest::newRow("port too big") << "postgresql://telvar@localhost:99999/db" << port;
        QTest::newRow("port 0") << "postgresql://telvar@localhost:0/db" << port;
        QTest::newRow("port with a letter") << "postgresql://telvar@localhost:5x/db" << port;
        QTest::newRow("password where the port goes") << "postgresql://telvar@localhost:PW/db" << port;
        QTest::newRow("port parameter") << "postgresql://telvar@/db?port=abc" << port;
        QTest::newRow("blank in the host") << "postgresql://telvar@local host/db" << host;
        QTest::newRow("IPv6 unclosed") << "postgresql://telvar@[::1/db"
                                       << "IPv6";
        QTest::newRow("two @") << "postgresql://telvar:PW@x@host/db" << password;
        QTest::newRow("password parameter") << "postgresql://me@host/db?password=PW" << password;
        QTest::newRow("sslpassword") << "postgresql://me@host/db?sslpassword=PW" << password;
        QTest::newRow("password behind ;")
            << "postgresql://me@/db?host=/tmp&application_name=x;password=PW" << password;
        QTest::newRow("password behind encoded ; and =")
            << "postgresql://me@/db?host=/tmp&application_name=x%3Bpassword%3DPW" << password;
        QTest::newRow("password behind a blank")
            << "postgresql://me@host/db?sslmode=require%20PW" << parameter;
        QTest::newRow("quote in a value") << "postgresql://me@host/db?application_name=a'PW" << parameter;
        QTest::newRow("; in the user") << "postgresql://me;PW@host/db" << parameter;
        QTest::newRow("keyword in the database") << "postgresql://me@host/db%20sslkey%3DPW" << parameter;
        QTest::newRow("unknown keyword") << "postgresql://me@host/db?options=-cPW"
                                         << "options";
        QTest::newRow("password as a keyword") << "postgresql://me@host/db?PW=1"
                                               << "not passed on";
        QTest::newRow("no value") << "postgresql://me@host/db?PW"
                                  << "NAME=VALUE";
        QTest::newRow("fragment") << "postgresql://me@host/db#PW"
                                  << "'#'";
        QTest::newRow("host list") << "postgresql://me@a,b/db" << host;
    }
    void urlsThatAreNoTeamJournalAreRefused() {
        QFETCH(QString, url);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!TeamJournalAddress::parse(url, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY2(!error.contains(QLatin1String("PW")), qPrintable(error));
    }

    // The Team journal dialog keeps a refused address as it was typed and says why beneath it; Try
    // connects once on a thread and reports; OK takes only an address that is accepted.
    void theDialogKeepsWhatWasTypedAndTriesIt_data() {
        QTest::addColumn<QString>("url"); // SERVER: the throwaway server; NOWHERE: a socket without one
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("said");
        QTest::newRow("password, OK") << "postgresql://telvar:PW@localhost/db"
                                      << "ok"
                                      << "holds a password";
        QTest::newRow("port 0, Try") << "postgresql://telvar@localhost:0/db"
                                     << "try"
                                     << "1 to 65535";
        QTest::newRow("no server, Try") << "NOWHERE"
                                        << "try"
                                        << "Team journal unreachable: no server at the socket";
        QTest::newRow("the server, Try") << "SERVER"
                                         << "try"
                                         << "answered";
        QTest::newRow("the server, OK") << "SERVER"
                                        << "ok"
                                        << "";
    }
    void theDialogKeepsWhatWasTypedAndTriesIt() {
        QFETCH(QString, url);
        QFETCH(QString, button);
        QFETCH(QString, said);
        url.replace(QLatin1String("SERVER"), m_server.url());
        url.replace(QLatin1String("NOWHERE"),
                    QStringLiteral("postgresql://telvar@/telvar?host=%1/none").arg(m_dir.path()));
        QLabel status;
        TeamJournalLink link(journal("a.db"), &status);
        TeamJournalDialog dialog(link);
        auto* typed = dialog.findChild<QLineEdit*>(QStringLiteral("teamJournalUrl"));
        auto* message = dialog.findChild<QLabel*>(QStringLiteral("teamJournalMessage"));
        typed->setText(url);
        if (button == QLatin1String("ok"))
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        else
            dialog.findChild<QPushButton*>(QStringLiteral("teamJournalTry"))->click();
        QTRY_VERIFY2_WITH_TIMEOUT(message->text().contains(said), qPrintable(message->text()), 20000);
        QVERIFY(!message->text().contains(QLatin1String("PW")));
        QCOMPARE(typed->text(), url);
        const bool taken = button == QLatin1String("ok") && said.isEmpty();
        QCOMPARE(dialog.result(), taken ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(link.url(), taken ? url : QString());
    }

    // A push that fails in the background is said in the window's status bar on one line, as what it is
    // about, not as a failure of what the user did; the driver's text is in the tool tip.
    void theWindowSaysABackgroundFailureInOneLine() {
        EmulatedLibrary library;
        library.unplug(); // a device's first job would clear the status bar's note before it is read
        Mainform::Options options;
        options.dataDir = m_dir.path();
        options.settingsFile = journal("window.ini");
        options.journalPath = journal("a.db");
        options.teamJournal = QStringLiteral("postgresql://telvar@/telvar?host=%1/none").arg(m_dir.path());
        Mainform window(library, options, std::make_unique<test::FakePrompter>());
        auto* failure = window.findChild<QLabel*>(QStringLiteral("lastFailure"));
        QTRY_VERIFY_WITH_TIMEOUT(!failure->text().isEmpty(), 20000);
        QCOMPARE(failure->text(),
                 QStringLiteral("Team journal unreachable: no server at the socket (telvar on %1/none)")
                     .arg(m_dir.path()));
        QVERIFY2(failure->toolTip().contains(QLatin1String("No such file or directory")),
                 qPrintable(failure->toolTip()));
    }

    // The settings name the team's server and user: the file is the user's alone, and one an older
    // version left readable to all is closed.
    void theSettingsAreTheUsersAlone_data() {
        QTest::addColumn<bool>("leftOpen");
        QTest::newRow("new") << false;
        QTest::newRow("left readable by an older version") << true;
    }
    void theSettingsAreTheUsersAlone() {
        QFETCH(bool, leftOpen);
        const QString file = journal("telvar.ini");
        QFile::remove(file);
        if (leftOpen) {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly) &&
                    old.write("[teamJournal]\nurl=postgresql://a@b/c\n") > 0);
            old.close();
            QVERIFY(old.setPermissions(old.permissions() | QFile::ReadOther | QFile::ReadGroup));
        }
        openProgramSettings(file)->setValue(QStringLiteral("teamJournal/url"),
                                            QStringLiteral("postgresql://x@y/z"));
        QCOMPARE(QFile::permissions(file) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    // libpq's texts for what goes wrong with a server elsewhere, as the status bar puts them.
    void driverTextsReadPlainly_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trouble");
        QTest::newRow("no such host")
            << "could not translate host name \"nowhere.example\" to address: Name or service not known\n"
               "QPSQL: Unable to connect"
            << "unreachable: host not found";
        QTest::newRow("refused") << "connection to server at \"db\" (10.0.0.9), port 5432 failed: Connection "
                                    "refused\n\tIs the server running on that host and accepting TCP/IP "
                                    "connections?"
                                 << "unreachable: server refused";
        QTest::newRow("not this computer")
            << "FATAL:  no pg_hba.conf entry for host \"10.0.0.5\", user \"telvar\", database \"telvar\""
            << "unreachable: server refused this computer";
        QTest::newRow("no password") << "fe_sendauth: no password supplied"
                                     << "unreachable: no password in ~/.pgpass or PGPASSWORD";
        QTest::newRow("silent")
            << "connection to server at \"db\" (10.0.0.9), port 5432 failed: timeout expired"
            << "unreachable: server not answering";
        QTest::newRow("no database") << "FATAL:  database \"team\" does not exist"
                                     << "unreachable: no such database";
        QTest::newRow("no TLS") << "server does not support SSL, but SSL was required"
                                << "unreachable: server offers no TLS";
        QTest::newRow("full") << "FATAL:  sorry, too many clients already"
                              << "unreachable: server full";
        QTest::newRow("translated") << "Verbindung zum Server fehlgeschlagen"
                                    << "failed: see the details";
    }
    void driverTextsReadPlainly() {
        QFETCH(QString, text);
        QTEST(teamJournalTrouble(text), "trouble");
    }

    // What an accepted address becomes: the parts libpq gets, and how it is shown and kept.
    void urlsAreTakenApart_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("options");
        QTest::newRow("all parts") << "postgresql://telvar@DB.example:5433/team?sslmode=require"
                                   << "telvar@db.example:5433/team"
                                   << "postgresql://telvar@db.example:5433/team"
                                   << "sslmode=require;connect_timeout=5";
        QTest::newRow("socket") << "postgres://telvar@/team?host=/run/pg&connect_timeout=2"
                                << "telvar@/run/pg/team"
                                << "postgresql://telvar@/team?host=/run/pg"
                                << "connect_timeout=2";
        QTest::newRow("IPv6, parameters for the parts")
            << "postgresql://[::1]/x?dbname=team&user=ann&port=6000&application_name=telvar"
            << "ann@::1:6000/team"
            << "postgresql://ann@[::1]:6000/team"
            << "application_name=telvar;connect_timeout=5";
        QTest::newRow("encoded socket folder") << "postgresql://%2Frun%2Fpg/team"
                                               << "/run/pg/team"
                                               << "postgresql:///team?host=/run/pg"
                                               << "connect_timeout=5";
    }
    void urlsAreTakenApart() {
        QFETCH(QString, url);
        QString error;
        const auto address = TeamJournalAddress::parse(url, &error);
        QVERIFY2(address, qPrintable(error));
        QTEST(address->name(), "name");
        QTEST(address->shown(), "shown");
        QTEST(address->options, "options");
    }
};

QTEST_MAIN(TeamJournalTest)
#include "TeamJournalTest.moc"
