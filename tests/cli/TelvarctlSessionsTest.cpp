#include "journal/JournalStore.h"
#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"

#include <QFile>
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
                           "\\t SUPPER CARRIER\\t(SIM-[0-9A-F]{8})\\n$"));
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
