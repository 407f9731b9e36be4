#include "device/Timings.h"
#include "journal/JournalStore.h"
#include "journal/SensorTrace.h"
#include "journal/SessionJournal.h"
#include "session/SessionController.h"
#include "support/VirtualTelvar.h"
#include "vocab/BuiltinVocabulary.h"
#include "vocab/Vocabulary.h"

#include <QDir>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace telvar;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(SessionEnd)

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A SQLite file that some other program made.
void makeForeignDatabase(const QString& path) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes (text TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
}

} // namespace

class JournalTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    Vocabulary m_vocabulary;
    std::unique_ptr<test::VirtualTelvar> m_device;
    std::unique_ptr<SessionController> m_session;

    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // Asks, and waits until the window has closed and the last poll has finished.
    bool runSession(const QString& question = QStringLiteral("Anyone?")) {
        QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
        return m_session->ask(question, ResponseWindow::Seconds6) && ended.wait(20000) &&
               QTest::qWaitFor([this] { return !m_session->isTickRunning(); }, 20000);
    }

    std::vector<JournalSession> journalled(const QString& path) {
        JournalStore store;
        if (!store.open(path))
            return {};
        return store.read().value_or(std::vector<JournalSession>{});
    }

private Q_SLOTS:
    void initTestCase() {
        Timings::setDivisor(20); // a 6-second window in 0.3 s, a batch every 50 ms
        m_vocabulary.setList1(builtin::words());
    }

    void init() {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        m_device = std::make_unique<test::VirtualTelvar>();
        QVERIFY(m_device->attach());
        m_device->link.setPausePeriod(20ms);
        m_session = std::make_unique<SessionController>(m_device->link, m_vocabulary);
        m_session->log().setPath(file("log.qnx"));
    }

    void cleanup() {
        m_session.reset();
        m_device.reset();
    }

    void sessionsComeBackFromTheJournalAsTheyWere() {
        std::vector<SessionPoll> polls;
        std::vector<SessionWord> words;
        connect(m_session.get(), &SessionController::polled, this,
                [&](const SessionPoll& p) { polls.push_back(p); });
        connect(m_session.get(), &SessionController::wordAccepted, this,
                [&](const SessionWord& w) { words.push_back(w); });
        {
            SessionJournal journal(file("sessions.db"));
            journal.follow(*m_session);
            m_device->script(QStringLiteral("5/40/90x3,7/41/91x3,3000/2/1"));
            QVERIFY(runSession(QStringLiteral("Anyone\r\nthere?")));
        }
        const std::vector<JournalSession> sessions = journalled(file("sessions.db"));
        QCOMPARE(sessions.size(), std::size_t(1));
        const JournalSession& kept = sessions.front();
        QCOMPARE(kept.question, QStringLiteral("Anyone\r\nthere?"));
        QCOMPARE(kept.window, 6);
        QCOMPARE(kept.answer, QStringLiteral(" SUPPER CARRIER"));
        QCOMPARE(kept.end, QStringLiteral("window ended"));
        QVERIFY(QDateTime::fromString(kept.started, Qt::ISODate).isValid());
        QVERIFY(kept.polls.size() >= 7);
        QCOMPARE(kept.polls, polls);
        QCOMPARE(kept.words, words);
        QCOMPARE(kept.polls.front().readings, (std::array<int, 3>{5, 40, 90}));
        QCOMPARE(kept.polls.at(6).readings, (std::array<int, 3>{3000, 2, 1}));
        QCOMPARE(kept.polls.at(6).outcome, PollOutcome::OutsideRange);
        QCOMPARE(kept.polls.at(6).word, QString());
        QCOMPARE(words.size(), std::size_t(2));
    }

    void theEndReasonIsKept_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("end");
        QTest::newRow("window") << "window"
                                << "window ended";
        QTest::newRow("interrupt") << "interrupt"
                                   << "interrupted";
        QTest::newRow("unplug") << "unplug"
                                << "device gone";
        QTest::newRow("close") << "close"
                               << "program closed";
    }
    void theEndReasonIsKept() {
        QFETCH(QString, how);
        QFETCH(QString, end);
        {
            SessionJournal journal(file("sessions.db"));
            connect(&journal, &SessionJournal::problem, this,
                    [](const QString& text) { qWarning() << text; });
            journal.follow(*m_session);
            m_device->script(QStringLiteral("5x1000"));
            QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
            QVERIFY(m_session->ask(QStringLiteral("Q"), ResponseWindow::Seconds24));
            if (how == QLatin1String("interrupt"))
                m_session->endNow();
            else if (how == QLatin1String("unplug"))
                m_device->library.unplug();
            else if (how == QLatin1String("close"))
                m_session.reset();
            QVERIFY(!ended.isEmpty() || !m_session || ended.wait(20000));
        }
        const std::vector<JournalSession> sessions = journalled(file("sessions.db"));
        QCOMPARE(sessions.size(), std::size_t(1));
        QCOMPARE(sessions.front().end, end);
    }

    void aJournalThatCannotBeUsedIsSaidOnceAndTheSessionRunsOn_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("setAside");
        QTest::addColumn<bool>("kept");
        QTest::newRow("garbage") << "garbage" << true << true;
        QTest::newRow("another program's database") << "foreign" << true << true;
        QTest::newRow("folder that cannot be made") << "under a file" << false << false;
        QTest::newRow("folder in its place") << "folder" << false << false;
    }
    void aJournalThatCannotBeUsedIsSaidOnceAndTheSessionRunsOn() {
        QFETCH(QString, kind);
        QFETCH(bool, setAside);
        QFETCH(bool, kept);
        QString path = file("sessions.db");
        const QByteArray garbage("this is no database\n", 20);
        if (kind == QLatin1String("garbage")) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(garbage.repeated(300));
        } else if (kind == QLatin1String("foreign")) {
            makeForeignDatabase(path);
        } else if (kind == QLatin1String("under a file")) {
            // Permission bits do not stop root; a file where the folder should be does.
            QFile out(file("blocker"));
            QVERIFY(out.open(QIODevice::WriteOnly));
            path = file("blocker") + QStringLiteral("/sessions.db");
        } else {
            QVERIFY(QDir().mkpath(path));
        }
        const QByteArray before = contentOf(path);

        {
            SessionJournal journal(path);
            QSignalSpy said(&journal, &SessionJournal::problem);
            journal.follow(*m_session);
            m_device->script(QStringLiteral("5"));
            QVERIFY(runSession(QStringLiteral("first")));
            m_device->script(QStringLiteral("7"));
            QVERIFY(runSession(QStringLiteral("second")));
            QTRY_COMPARE(said.size(), 1);
            QVERIFY2(said.first().first().toString().contains(QStringLiteral("journal")),
                     qPrintable(said.first().first().toString()));
        }
        const QByteArray log = contentOf(file("log.qnx"));
        QVERIFY(log.contains("Telvar X  : SUPPER  "));
        QVERIFY(log.contains("Telvar X  : CARRIER  "));

        const QStringList aside =
            QDir(m_dir.path()).entryList({QStringLiteral("sessions.db.unreadable-*")}, QDir::Files);
        QCOMPARE(aside.size(), setAside ? 1 : 0);
        if (setAside)
            QCOMPARE(contentOf(m_dir.filePath(aside.first())), before);
        if (kept)
            QCOMPARE(journalled(path).size(), std::size_t(2));
    }

    void theTraceGetsEveryReadingAndWord() {
        SensorTrace trace;
        trace.follow(*m_session);
        std::vector<SessionPoll> polls;
        connect(m_session.get(), &SessionController::polled, this,
                [&](const SessionPoll& p) { polls.push_back(p); });
        m_device->script(QStringLiteral("5/40/90,9/0/0x2,300/1/2,7/3/4"));
        QVERIFY(runSession());
        QCOMPARE(trace.windowMs(), 6000);
        QCOMPARE(trace.polls(), polls);
        QCOMPARE(trace.polls().size() > 4, true);
        QCOMPARE(trace.polls().at(3).readings, (std::array<int, 3>{300, 1, 2}));
        QCOMPARE(trace.highestSum(), 303);
        QStringList words;
        for (const SessionWord& word : trace.words())
            words << word.word;
        QCOMPARE(words, QStringList({"SUPPER", "HUMAN", "COME", "CARRIER"}));

        // It keeps the last session until the next question.
        QSignalSpy changed(&trace, &SensorTrace::changed);
        m_device->script(QStringLiteral("0"));
        QVERIFY(m_session->ask(QStringLiteral("again"), ResponseWindow::Seconds12));
        QCOMPARE(trace.windowMs(), 12000);
        QVERIFY(trace.words().empty());
        QVERIFY(!changed.isEmpty());
    }
};

QTEST_GUILESS_MAIN(JournalTest)
#include "JournalTest.moc"
