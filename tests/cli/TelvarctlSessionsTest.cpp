// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalStore.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

using telvar::JournalSession;
using telvar::JournalStore;
using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

class TelvarctlSessionsTest : public QObject, telvar::test::ScratchFolder {
    Q_OBJECT
    QTemporaryDir m_data; // word-list files, kept out of the build folder

    QString journal() const { return path("j.db"); }
    ProcessResult sessionsVerb(const QStringList& words) const {
        return runTelvarctl(QStringList{QStringLiteral("--journal"), journal(), QStringLiteral("sessions")} +
                                words,
                            m_folder.path());
    }
    ProcessResult ask(const QStringList& words) const {
        return runTelvarctl(QStringList{"--journal", journal(), "--simulate", "--data-dir", m_data.path()} +
                                words,
                            m_folder.path(), 60000, {QStringLiteral("TELVAR_TIME_DIVISOR=20")});
    }
    std::vector<JournalSession> sessions() {
        JournalStore store;
        return store.open(journal()) ? store.read().value_or(std::vector<JournalSession>{})
                                     : std::vector<JournalSession>{};
    }

private Q_SLOTS:
    void init() { QFile::remove(journal()); }

    void aSessionComesOutOfTheJournalAsItWentIn() {
        QCOMPARE(ask({"--sensor", "5/40/90x3,7/41/91x3", "ask", "Anyone?", "--window", "6", "--trace",
                      path("t.csv")})
                     .exitCode,
                 0);
        const QList<QByteArray> rows = contentOf("t.csv").split('\n');
        QCOMPARE(rows.first(), QByteArray("ms,reading1,reading2,reading3,index,word,shown"));
        QVERIFY2(rows.at(1).endsWith(",5,40,90,5,SUPPER,1"), rows.at(1));
        QCOMPARE(rows.last(), QByteArray()); // every row ends its line

        static const QRegularExpression line(
            QStringLiteral("^1\\t\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d\\t6\\tAnyone\\?"
                           "\\t SUPPER CARRIER\\t(SIM-[0-9A-F]{8})\\twindow ended\\n$"));
        const QString listed = sessionsVerb({}).out;
        const QRegularExpressionMatch listing = line.match(listed);
        QVERIFY2(listing.hasMatch(), qPrintable(listed));
        const QString device = listing.captured(1);
        QCOMPARE(sessionsVerb({"show", "1"}).out.toUtf8(), contentOf("t.csv"));
        QByteArray withIds = "id,device," + rows.first() + '\n';
        for (const QByteArray& row : rows.mid(1, rows.size() - 2))
            withIds += "1," + device.toLatin1() + ',' + row + '\n';
        QCOMPARE(sessionsVerb({"export", "--format", "csv"}).out.toUtf8(), withIds);

        QCOMPARE(sessionsVerb({"export", "-o", path("all.json"), "1"}).exitCode, 0);
        const QJsonArray all = QJsonDocument::fromJson(contentOf("all.json")).array();
        QCOMPARE(all.size(), 1);
        const QJsonObject session = all.first().toObject();
        QCOMPARE(session.value("question").toString(), QStringLiteral("Anyone?"));
        QCOMPARE(session.value("answer").toString(), QStringLiteral(" SUPPER CARRIER"));
        QCOMPARE(session.value("end").toString(), QStringLiteral("window ended"));
        QCOMPARE(session.value("device").toString(), device);
        QVERIFY(session.value("operator").toString().contains(u'@'));
        QCOMPARE(session.value("words").toArray().at(1).toObject().value("word").toString(), "CARRIER");
        const QJsonArray polls = session.value("polls").toArray();
        QCOMPARE(polls.size(), rows.size() - 2);
        QCOMPARE(polls.first().toObject().value("readings").toArray(), QJsonArray({5, 40, 90}));

        QCOMPARE(sessionsVerb({"delete", "1"}).exitCode, 1); // no terminal to confirm
        QCOMPARE(sessionsVerb({"delete", "1", "--yes"}).exitCode, 0);
        QCOMPARE(sessionsVerb({}).out, QString());
    }

    void aKilledSessionLeavesAWholeJournal() {
        QCOMPARE(ask({"--sensor", "5/1/2", "ask", "first", "--window", "6"}).exitCode, 0);
        const std::vector<JournalSession> before = sessions();
        QCOMPARE(before.size(), std::size_t(1));

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TELVAR_TIME_DIVISOR"), QStringLiteral("4"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(TELVARCTL_PATH),
                      {"--journal", journal(), "--simulate", "--data-dir", m_data.path(), "--sensor",
                       "9/8/7x100000", "ask", "second", "--window", "24"});
        // Killed once the second session has readings in the journal, well inside its window.
        QTRY_VERIFY_WITH_TIMEOUT(sessions().size() == 2 && !sessions().back().polls.empty(), 20000);
        process.kill();
        QVERIFY(process.waitForFinished(10000));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(journal());
            QVERIFY(db.open());
            QSqlQuery check(db);
            QVERIFY(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
            QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        const std::vector<JournalSession> after = sessions();
        QCOMPARE(after.size(), std::size_t(2));
        QCOMPARE(after.front().polls, before.front().polls);
        QCOMPARE(after.front().end, QStringLiteral("window ended"));
        QCOMPARE(after.back().end, QStringLiteral("interrupted"));
        QCOMPARE(after.back().polls.front().readings, (std::array<int, 3>{9, 8, 7}));
    }

    // telvarctl draws without a display: the report runs with none named in its environment.
    void aReportDrawsEachSessionOnAPageOfItsOwn() {
        QCOMPARE(ask({"--sensor", "5/40/90x3,7/41/91x3", "ask", "Anyone?", "--window", "6"}).exitCode, 0);
        QCOMPARE(
            ask({"--sensor", "300/1/1x3,12/1/1x3,5/1/1x3", "ask", "Who & why?", "--window", "6"}).exitCode,
            0);
        const auto report = [this](const QStringList& words) {
            return runTelvarctl(QStringList{"--journal", journal(), "sessions", "report"} + words,
                                m_folder.path(), 60000,
                                {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=xcb"});
        };

        QCOMPARE(report({"1", "2", "-o", path("two.PDF")}).exitCode, 0);
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
        QCOMPARE(QString::fromLatin1(contentOf("two.PDF")).count(page), 2);

        QCOMPARE(report({"2", "-o", path("one.svg")}).exitCode, 0);
        QStringList texts;
        QXmlStreamReader svg(contentOf("one.svg"));
        while (!svg.atEnd()) {
            if (svg.readNext() == QXmlStreamReader::StartElement && svg.name() == QLatin1String("text"))
                texts << svg.readElementText();
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QVERIFY2(texts.contains(QStringLiteral("Who & why?")), qPrintable(texts.join(u'|')));
        // Each word twice: marked on the trace and in the table of words.
        for (const char* word : {"COME", "PLUTO", "SUPPER"})
            QVERIFY2(texts.count(QString::fromLatin1(word)) == 2, word);

        QCOMPARE(report({"1", "2", "-o", path("two.png")}).exitCode, 0);
        const QImage picture = QImage::fromData(contentOf("two.png"), "PNG");
        QVERIFY(!picture.isNull());
        QVERIFY2(picture.height() > 2.5 * picture.width(), "two A4 pages, one below the other");

        const ProcessResult missing = report({"1", "7", "-o", path("missing.pdf")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.err.contains(QStringLiteral("no session 7")), qPrintable(missing.err));
        QCOMPARE(report({"1", "-o", path("no-such-folder/r.pdf")}).exitCode, 1);
        QVERIFY(!QFile::exists(path("missing.pdf")));
    }

    // A recorder keeps a session going in the journal after something in it closed a descriptor of the
    // journal file (as a file dialog does when it peeks into the folder); meanwhile another program
    // lists the journal and a third records a session of its own. Every session reaches the file, whole.
    void twoProgramsOnOneJournalLoseNoSession() {
        using telvar::PollOutcome;
        using telvar::SessionPoll;
        JournalStore recorder;
        QVERIFY(recorder.open(journal()));
        const qint64 id =
            recorder.begin(QStringLiteral("2026-12-08T10:00:00+00:00"), 6, QStringLiteral("mine"), {}, {});
        QVERIFY(id > 0);
        const SessionPoll first{200, {5, 0, 0}, 5, QStringLiteral("SUPPER"), PollOutcome::Shown};
        QVERIFY(
            recorder.record(id, {first}, {{200, 5, QStringLiteral("SUPPER")}}, QStringLiteral(" SUPPER")));
        ::close(::open(QFile::encodeName(journal()).constData(), O_RDONLY));

        QCOMPARE(sessionsVerb({}).exitCode, 0);
        QCOMPARE(ask({"--sensor", "7", "ask", "theirs", "--window", "6"}).exitCode, 0);
        const SessionPoll second{400, {0, 0, 0}, 0, QString(), PollOutcome::OutsideRange};
        QVERIFY(
            recorder.record(id, {second}, {}, QStringLiteral(" SUPPER"), telvar::SessionEnd::WindowEnded));

        const std::vector<JournalSession> kept = sessions();
        QCOMPARE(kept.size(), std::size_t(2));
        QCOMPARE(kept[0].question, QStringLiteral("mine"));
        QCOMPARE(kept[0].polls, (std::vector<SessionPoll>{first, second}));
        QCOMPARE(kept[0].end, QStringLiteral("window ended"));
        QCOMPARE(kept[1].question, QStringLiteral("theirs"));
        QCOMPARE(kept[1].end, QStringLiteral("window ended"));
    }

    // A delete of a session that a live program still records is refused, and takes none of the others
    // named with it; one that ended, or that a killed program left without its end, goes.
    void deletingASessionStillRecordedIsRefused_data() {
        QTest::addColumn<QString>("recorder");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("still running") << "running"
                                       << "running" << false;
        QTest::newRow("ended") << "ended"
                               << "window ended" << true;
        QTest::newRow("left by a killed program") << "killed"
                                                  << "interrupted" << true;
    }
    void deletingASessionStillRecordedIsRefused() {
        using telvar::PollOutcome;
        using telvar::SessionPoll;
        QFETCH(QString, recorder);
        QFETCH(QString, listed);
        QFETCH(bool, deleted);
        auto store = std::make_unique<JournalStore>();
        QVERIFY(store->open(journal()));
        const SessionPoll poll{200, {9, 8, 7}, 9, QString(), PollOutcome::OutsideRange};
        const qint64 finished =
            store->begin(QStringLiteral("2026-12-09T10:00:00+00:00"), 6, QStringLiteral("done"), {}, {});
        QVERIFY(store->record(finished, {poll}, {}, {}, telvar::SessionEnd::WindowEnded));
        const qint64 id =
            store->begin(QStringLiteral("2026-12-09T10:01:00+00:00"), 24, QStringLiteral("long"), {}, {});
        QVERIFY(store->record(id, {poll}, {}, {},
                              recorder == QLatin1String("ended")
                                  ? std::optional(telvar::SessionEnd::WindowEnded)
                                  : std::nullopt));
        if (recorder == QLatin1String("killed"))
            store.reset(); // the row is all that a killed program leaves
        const QStringList lines = sessionsVerb({}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1].section(u'\t', -1), listed);

        const ProcessResult result =
            sessionsVerb({"delete", QString::number(finished), QString::number(id), "--yes"});
        QCOMPARE(result.exitCode, deleted ? 0 : 1);
        QCOMPARE(result.err.contains(QStringLiteral("session %1 is still running").arg(id)), !deleted);
        QCOMPARE(sessions().size(), std::size_t(deleted ? 0 : 2));
    }

    // The session of one telvarctl still asking is not deleted by another, nor is any session named with
    // it; a session asked meanwhile gets a number of its own with its own answer, and a deleted number is
    // never given again.
    void aSessionBeingAskedKeepsItsNumberAndItsReadings() {
        {
            JournalStore store;
            QVERIFY(store.open(journal()));
            const qint64 first =
                store.begin(QStringLiteral("2026-12-09T10:00:00+00:00"), 6, QStringLiteral("FIRST"), {}, {});
            QVERIFY(store.record(first, {}, {}, {}, telvar::SessionEnd::WindowEnded));
        }
        QProcess longer;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TELVAR_TIME_DIVISOR"), QStringLiteral("6")); // 24 s in 4 s
        longer.setProcessEnvironment(environment);
        longer.setWorkingDirectory(m_folder.path());
        longer.start(QStringLiteral(TELVARCTL_PATH),
                     {"--journal", journal(), "--simulate", "--data-dir", m_data.path(), "--sensor",
                      "9/8/7x100000", "ask", "LONG", "--window", "24"});
        QTRY_VERIFY_WITH_TIMEOUT(sessions().size() == 2 && !sessions().back().polls.empty(), 20000);
        const qint64 id = sessions().back().id;
        const ProcessResult refused = sessionsVerb({"delete", "1", QString::number(id), "--yes"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("session %1 is still running").arg(id)),
                 qPrintable(refused.err));
        QCOMPARE(ask({"--sensor", "5", "ask", "SHORT", "--window", "6"}).exitCode, 0);
        QVERIFY(longer.waitForFinished(30000));
        QCOMPARE(longer.exitCode(), 0);

        const std::vector<JournalSession> kept = sessions();
        QCOMPARE(kept.size(), std::size_t(3));
        QCOMPARE(kept[0].question, QStringLiteral("FIRST"));
        QCOMPARE(kept[1].id, id);
        QCOMPARE(kept[1].question, QStringLiteral("LONG"));
        QCOMPARE(kept[1].end, QStringLiteral("window ended"));
        for (const telvar::SessionPoll& poll : kept[1].polls)
            QCOMPARE(poll.readings, (std::array<int, 3>{9, 8, 7}));
        const qint64 shortId = kept[2].id;
        QVERIFY(shortId > id);
        QCOMPARE(kept[2].question, QStringLiteral("SHORT"));
        QCOMPARE(kept[2].answer, QStringLiteral(" SUPPER"));
        QCOMPARE(kept[2].polls.front().readings, (std::array<int, 3>{5, 0, 0}));

        QCOMPARE(sessionsVerb({"delete", QString::number(shortId), "--yes"}).exitCode, 0);
        JournalStore store;
        QVERIFY(store.open(journal()));
        QCOMPARE(store.begin(QStringLiteral("2026-12-09T10:00:00+00:00"), 6, QStringLiteral("next"), {}, {}),
                 shortId + 1);
    }

    // A command that cannot write its output all the way fails and leaves what was there; one aimed at
    // a file of the program's own, or at a folder that is not there, fails before it starts.
    void anOutputThatCannotBeWrittenFailsTheCommand_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("file"); // the target, holding "OLD" before
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("limit"); // the most any file may grow to; 0 for none
        const QString tooLarge = QString::fromLocal8Bit(std::strerror(EFBIG));
        QTest::newRow("export on a full disk")
            << QStringList{"sessions", "export", "-o", "exp.json"} << "exp.json" << tooLarge << 16;
        QTest::newRow("word pair on a full disk")
            << QStringList{"--data-dir", "words", "edit", "replace", "1", "FULL", "\\IY"} << "words/tempw.txt"
            << tooLarge << 1024;
        QTest::newRow("export over the journal") << QStringList{"sessions", "export", "-o", "j.db"} << "j.db"
                                                 << "which this program keeps" << 0;
        QTest::newRow("trace over the log")
            << QStringList{"--simulate", "ask", "Q", "--trace", "log.qnx"} << "log.qnx"
            << "which this program keeps" << 0;
        QTest::newRow("trace over the second state file") << QStringList{"--simulate=a.json",
                                                                         "--simulate=b.json",
                                                                         "--device",
                                                                         "a.json",
                                                                         "ask",
                                                                         "Q",
                                                                         "--trace",
                                                                         "b.json"}
                                                          << "b.json"
                                                          << "which this program keeps" << 0;
        // The last --journal counts: a file that is no journal is said before the question is asked.
        QTest::newRow("journal over a word file")
            << QStringList{"--data-dir", "words", "--journal", "words/tempw.txt", "--simulate", "ask", "Q"}
            << "words/tempw.txt"
            << "is a word-list file" << 0;
        QTest::newRow("journal over the state file")
            << QStringList{"--simulate=st.json", "--journal", "st.json", "ask", "Q"} << "st.json"
            << "is the virtual device's state file" << 0;
        QTest::newRow("journal over any text")
            << QStringList{"--journal", "notes.txt", "--simulate", "ask", "Q"} << "notes.txt"
            << "no SQLite database" << 0;
        QTest::newRow("trace into no folder")
            << QStringList{"--simulate", "ask", "Q", "--trace", "none/t.csv"} << "log.qnx"
            << "No such file or directory" << 0;
    }
    void anOutputThatCannotBeWrittenFailsTheCommand() {
        QFETCH(QStringList, words);
        QFETCH(QString, file);
        QFETCH(QString, said);
        QFETCH(int, limit);
        QCOMPARE(ask({"--sensor", "5", "ask", "first", "--window", "6"}).exitCode, 0);
        QCOMPARE(runTelvarctl({"--data-dir", path("words"), "vocab", "0"}).exitCode, 0);
        QFile::remove(path("log.qnx"));
        if (!QFileInfo::exists(path(qPrintable(file))))
            put(qPrintable(file), "OLD");
        const QByteArray before = contentOf(qPrintable(file));
        const QByteArray journalBefore = contentOf("j.db");

        QProcess process;
        process.setWorkingDirectory(m_folder.path());
        process.setStandardInputFile(QProcess::nullDevice());
        process.setChildProcessModifier([limit] {
            if (limit > 0)
                telvar::test::FileSizeLimit::applyInChild(rlim_t(limit));
        });
        process.start(QStringLiteral(TELVARCTL_PATH), QStringList{"--journal", journal()} + words);
        QVERIFY(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(err.contains(said), qPrintable(err));
        QCOMPARE(contentOf(qPrintable(file)), before);
        QCOMPARE(contentOf("j.db"), journalBefore);
        QVERIFY(QDir(m_folder.path()).entryList({QStringLiteral("*.??????")}, QDir::Files).isEmpty());
    }

    // Text typed into a question never reaches the terminal of whoever lists the journal as a control
    // sequence.
    void listingsShowControlCharactersEscaped() {
        QCOMPARE(ask({"--sensor", "5", "ask", "\x1b[2Jred\x07", "--window", "6"}).exitCode, 0);
        const QString listed = sessionsVerb({}).out;
        QVERIFY2(listed.contains(QLatin1String("\\x1b[2Jred\\x07")), qPrintable(listed));
        QVERIFY(!listed.contains(QChar(0x1b)));
    }

    void sessionsWordsThatAreOffAreUsageErrors_data() {
        QTest::addColumn<QStringList>("words");
        QTest::newRow("unknown action") << QStringList{"sessions", "list"};
        QTest::newRow("show without id") << QStringList{"sessions", "show"};
        QTest::newRow("show two ids") << QStringList{"sessions", "show", "1", "2"};
        QTest::newRow("id not a number") << QStringList{"sessions", "export", "one"};
        QTest::newRow("unknown format") << QStringList{"sessions", "export", "--format", "xml"};
        QTest::newRow("delete nothing") << QStringList{"sessions", "delete"};
        QTest::newRow("report without file") << QStringList{"sessions", "report", "1"};
        QTest::newRow("report of another kind") << QStringList{"sessions", "report", "1", "-o", "r.txt"};
        QTest::newRow("report of nothing") << QStringList{"sessions", "report", "-o", "r.pdf"};
        QTest::newRow("push without server") << QStringList{"sessions", "push"};
        QTest::newRow("team without server") << QStringList{"sessions", "--team"};
        QTest::newRow("server no url") << QStringList{"--team-journal", "mysql://me@host/db", "sessions"};
        QTest::newRow("team delete") << QStringList{
            "--team-journal", "postgresql://me@host/db", "sessions", "--team", "delete", "1"};
        QTest::newRow("trace without file") << QStringList{"--simulate", "ask", "Q", "--trace"};
    }
    void sessionsWordsThatAreOffAreUsageErrors() {
        QFETCH(QStringList, words);
        const ProcessResult result =
            runTelvarctl(QStringList{"--journal", journal()} + words, m_folder.path());
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
    }
};

QTEST_GUILESS_MAIN(TelvarctlSessionsTest)
#include "TelvarctlSessionsTest.moc"
