// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"
#include "support/ThrowawayPostgres.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <set>

using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

// Two computers, each with a journal and a Telvar X of its own, share one team journal.
class TelvarctlTeamJournalTest : public QObject, telvar::test::ScratchFolder {
    Q_OBJECT
    telvar::test::ThrowawayPostgres m_server;

    ProcessResult telvarctl(const char* computer, const QStringList& words,
                            const char* password = telvar::test::ThrowawayPostgres::kPassword) const {
        const QString name = QString::fromLatin1(computer);
        return runTelvarctl(
            QStringList{"--journal", m_folder.filePath(name + ".db"), "--team-journal", m_server.url()} +
                words,
            m_folder.path(), 60000,
            {QStringLiteral("TELVAR_TIME_DIVISOR=20"),
             QStringLiteral("PGPASSWORD=") + QString::fromLatin1(password)});
    }
    ProcessResult ask(const char* computer, const QString& question) const {
        return telvarctl(computer,
                         {"--simulate=" + m_folder.filePath(QString::fromLatin1(computer) + ".json"),
                          "--data-dir", m_folder.path(), "--sensor", "5/40/90x3,7/41/91x3", "ask", question,
                          "--window", "6"});
    }
    static QJsonArray sessionsOf(const ProcessResult& exported) {
        QJsonArray sessions = QJsonDocument::fromJson(exported.outBytes).array();
        // The ids are each journal's own; everything else must be the same wherever it is read.
        for (qsizetype i = 0; i < sessions.size(); ++i) {
            QJsonObject session = sessions[i].toObject();
            session.remove(QStringLiteral("id"));
            sessions[i] = session;
        }
        return sessions;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!m_server.start())
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server to test against: ") + m_server.whyNot()));
    }

    // The server stops halfway through the questions of both computers: the sessions wait, the answers
    // come all the same, and once the server is back every session is there once, as it was kept.
    void sessionsOfTwoComputersArriveOnceThroughAnOutage() {
        for (const char* computer : {"a", "b"})
            QCOMPARE(ask(computer, QStringLiteral("First of %1?").arg(computer)).exitCode, 0);
        QVERIFY(m_server.stop());
        for (const char* computer : {"a", "b"}) {
            for (const char* question : {"Second?", "Third?"}) {
                const ProcessResult asked = ask(computer, QString::fromLatin1(question));
                QCOMPARE(asked.exitCode, 0);
                QVERIFY2(asked.out.contains(QStringLiteral("SUPPER CARRIER")), qPrintable(asked.out));
                QVERIFY2(asked.err.contains(QStringLiteral("on this computer")), qPrintable(asked.err));
            }
        }
        const ProcessResult unreachable = telvarctl("a", {"sessions", "push"});
        QCOMPARE(unreachable.exitCode, 1);
        QVERIFY2(unreachable.err.contains(QStringLiteral("2 session(s) wait")), qPrintable(unreachable.err));

        QVERIFY2(m_server.start(), qPrintable(m_server.whyNot()));
        const ProcessResult refused = telvarctl("a", {"sessions", "push"}, "xyzzy-42");
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("unreachable: wrong password (")) &&
                     refused.err.contains(QStringLiteral("password authentication failed")),
                 qPrintable(refused.err));
        QVERIFY(!refused.err.contains(QStringLiteral("xyzzy")));
        // The address once, on one line.
        QCOMPARE(refused.err.count(QStringLiteral("postgresql://")), 1);
        QCOMPARE(refused.err.trimmed().count(u'\n'), 0);
        for (const char* computer : {"a", "b"}) {
            const ProcessResult pushed = telvarctl(computer, {"sessions", "push"});
            QVERIFY2(pushed.exitCode == 0, qPrintable(pushed.err));
            QVERIFY2(pushed.out.startsWith(QStringLiteral("2 sessions pushed to postgresql://telvar@")),
                     qPrintable(pushed.out));
        }
        QVERIFY(telvarctl("a", {"sessions", "push"}).out.startsWith(QStringLiteral("0 sessions pushed")));

        const QStringList listed =
            telvarctl("a", {"sessions", "--team"}).out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(listed.size(), 6);
        std::set<QString> kinds;
        for (const QString& line : listed)
            kinds.insert(line.section(u'\t', 3, 3) + u'/' + line.section(u'\t', 5, 5));
        QCOMPARE(kinds.size(), std::size_t(6)); // each question of each device once

        const QJsonArray team = sessionsOf(telvarctl("b", {"sessions", "--team", "export"}));
        QJsonArray local = sessionsOf(telvarctl("a", {"sessions", "export"}));
        for (const QJsonValue& session : sessionsOf(telvarctl("b", {"sessions", "export"})))
            local.append(session);
        QCOMPARE(team.size(), 6);
        for (const QJsonValue& session : local) {
            QVERIFY2(team.contains(session), qPrintable(QJsonDocument(session.toObject()).toJson()));
            QVERIFY(!session[QStringLiteral("device")].toString().isEmpty());
            QVERIFY(session[QStringLiteral("operator")].toString().contains(u'@'));
        }
        const QString last = listed.last().section(u'\t', 0, 0);
        const ProcessResult drawn =
            telvarctl("a", {"sessions", "--team", "report", last, "-o", path("team.svg")});
        QVERIFY2(drawn.exitCode == 0, qPrintable(drawn.err));
        QVERIFY(contentOf("team.svg").contains("Third?"));
    }
};

QTEST_GUILESS_MAIN(TelvarctlTeamJournalTest)
#include "TelvarctlTeamJournalTest.moc"
