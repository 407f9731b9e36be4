// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Telvarctl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using telvar::test::runTelvarctl;

class TelvarctlAskTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_data; // word-list files, kept out of the build folder
    const QStringList kFast{QStringLiteral("TELVAR_TIME_DIVISOR=20")};

    QStringList simulate(const QStringList& more) const {
        return QStringList{QStringLiteral("--simulate"), QStringLiteral("--data-dir"), m_data.path()} + more;
    }
    static QString lastLine(const QString& text) { return text.trimmed().split(u'\n').last(); }

private Q_SLOTS:
    void askAnswersLogsAndTheLogCanBeReadAndErased() {
        QTemporaryDir work;
        const auto asked =
            runTelvarctl(simulate({"--sensor", "5,7", "ask", "Who is there?", "--window", "6"}), work.path());
        QCOMPARE(asked.exitCode, 0);
        QCOMPARE(lastLine(asked.out), QStringLiteral("Telvar X  : SUPPER CARRIER"));

        const auto shown = runTelvarctl({QStringLiteral("log")}, work.path());
        QCOMPARE(shown.exitCode, 0);
        const QStringList lines = shown.out.split(u'\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines.at(0).startsWith(QStringLiteral("USER: Who is there?")));
        QCOMPARE(lines.at(1), QString());
        QVERIFY(lines.at(2).startsWith(QStringLiteral("Telvar X  : SUPPER CARRIER  ")));

        const QString log = QDir(work.path()).filePath(QStringLiteral("log.qnx"));
        QCOMPARE(runTelvarctl({QStringLiteral("log"), QStringLiteral("--clear")}, work.path()).exitCode, 1);
        QVERIFY(QFile::exists(log));
        QCOMPARE(runTelvarctl({QStringLiteral("--yes"), QStringLiteral("log"), QStringLiteral("--clear")},
                              work.path())
                     .exitCode,
                 0);
        QVERIFY(!QFile::exists(log));
    }

    void failuresAreReportedAndTheAnswerStillPrinted() {
        QTemporaryDir work;
        QDir(work.path()).mkdir(QStringLiteral("log.qnx")); // a log that cannot be written
        const auto unlogged =
            runTelvarctl(simulate({"--sensor", "5", "ask", "Q"}), work.path(), 60000, kFast);
        QCOMPARE(unlogged.exitCode, 0);
        QVERIFY2(unlogged.err.contains(QStringLiteral("log could not be written")), qPrintable(unlogged.err));
        QCOMPARE(lastLine(unlogged.out), QStringLiteral("Telvar X  : SUPPER"));

        QTemporaryDir quiet;
        const auto silent = runTelvarctl(simulate({"--fault", "drop:D", "--timeout", "50", "ask", "Q"}),
                                         quiet.path(), 60000, kFast);
        QCOMPARE(silent.exitCode, 1);
        QVERIFY2(silent.err.contains(QStringLiteral("no reply")), qPrintable(silent.err));
        QCOMPARE(lastLine(silent.out), QStringLiteral("Telvar X  :"));

        QCOMPARE(runTelvarctl(simulate({"ask"})).exitCode, 2);
        QCOMPARE(runTelvarctl(simulate({"ask", "Q", "--window", "7"})).exitCode, 2);
    }

    void askWordsThatAreOffAreUsageErrors_data() {
        QTest::addColumn<QStringList>("words");
        QTest::newRow("window without seconds") << QStringList{"Q", "--window"};
        QTest::newRow("unknown option") << QStringList{"Q", "--loud"};
        QTest::newRow("two questions") << QStringList{"Q", "R", "--window", "6"};
    }
    void askWordsThatAreOffAreUsageErrors() {
        QFETCH(QStringList, words);
        QTemporaryDir work;
        const auto result = runTelvarctl(simulate(QStringList{"ask"} + words), work.path());
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(QStringLiteral("telvarctl ask: ")), qPrintable(result.err));
        QVERIFY(!QFile::exists(QDir(work.path()).filePath(QStringLiteral("log.qnx")))); // nothing was asked
    }
};

QTEST_GUILESS_MAIN(TelvarctlAskTest)
#include "TelvarctlAskTest.moc"
