// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// SIGINT and SIGTERM in the middle of a long job, sent to telvarctl as a user or a service manager would.
class TelvarctlInterruptTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    void start(QProcess& process, const QStringList& words) {
        QStringList arguments{QStringLiteral("--simulate=") +
                                  m_folder.filePath(QStringLiteral("device.json")),
                              QStringLiteral("--data-dir=") + m_folder.path()};
        arguments << words;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Every report sent is traced on stderr: the test sees where the upload stands.
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("telvar.device.debug=true"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_folder.path());
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(TELVARCTL_PATH), arguments);
    }

    // The traced output reports, each as its hex bytes.
    static QStringList sentReports(const QString& err) {
        QStringList reports;
        for (const QString& line : err.split(QLatin1Char('\n'))) {
            if (const qsizetype at = line.indexOf(QLatin1String("out 00 ")); at >= 0)
                reports << line.mid(at + 4).trimmed();
        }
        return reports;
    }

private Q_SLOTS:
    void init() { QVERIFY(m_folder.isValid()); }

    void aSignalStopsTheUploadAfterItsDataReport_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
    }
    void aSignalStopsTheUploadAfterItsDataReport() {
        QFETCH(int, signalNumber);
        QProcess upload;
        QString err;
        start(upload, {QStringLiteral("upload"), QStringLiteral("--yes")});
        QVERIFY(QTest::qWaitFor(
            [&] {
                err += QString::fromUtf8(upload.readAllStandardError());
                return sentReports(err).size() >= 40;
            },
            30000));
        ::kill(static_cast<pid_t>(upload.processId()), signalNumber);
        QVERIFY(upload.waitForFinished(10000));
        err += QString::fromUtf8(upload.readAllStandardError());

        QCOMPARE(upload.exitStatus(), QProcess::NormalExit);
        QCOMPARE(upload.exitCode(), 128 + signalNumber);
        QVERIFY2(err.contains(QStringLiteral("\nCancelled\n")), qPrintable(err.right(400)));
        // The last "W" the device was sent got its data report: the device is left taking commands.
        const QStringList reports = sentReports(err);
        QVERIFY(reports.size() < 1 + 2 * 2055);
        qsizetype lastW = reports.size() - 1;
        while (lastW > 0 && !reports.at(lastW).startsWith(QLatin1String("00 57 ")))
            --lastW;
        QVERIFY2(lastW > 0, qPrintable(reports.mid(reports.size() - 3).join(QLatin1Char('|'))));
        QCOMPARE(reports.size(), lastW + 2);

        QProcess raw;
        start(raw,
              {QStringLiteral("raw"), QStringLiteral("C"), QStringLiteral("0"), QStringLiteral("--reply")});
        QVERIFY(raw.waitForFinished(10000));
        QCOMPARE(raw.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(raw.readAllStandardOutput()).split(u' ').size(), 9);
    }

    // After the last word's reply the transfer only leaves the device alone to leave transfer mode: every
    // word is with the unit, so a signal then stops nothing and the transfer ends as complete.
    void aSignalInTheIdleSecondAfterTheLastWordLeavesTheTransferComplete() {
        QFile words(m_folder.filePath(QStringLiteral("mainw.txt")));
        QVERIFY(words.open(QIODevice::WriteOnly));
        words.write("ONE\r\nTWO\r\n");
        words.close();
        QProcess transfer;
        QString err;
        start(transfer, {QStringLiteral("--yes"), QStringLiteral("send-to-unit")});
        // The replies to "v" and to both words.
        QVERIFY(QTest::qWaitFor(
            [&] {
                err += QString::fromUtf8(transfer.readAllStandardError());
                return err.count(QLatin1String(": in ")) >= 3;
            },
            30000));
        ::kill(static_cast<pid_t>(transfer.processId()), SIGTERM);
        QVERIFY(transfer.waitForFinished(10000));
        err += QString::fromUtf8(transfer.readAllStandardError());

        QCOMPARE(transfer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(transfer.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(transfer.readAllStandardOutput()), QStringLiteral("Upload complete\n"));
        QVERIFY2(!err.contains(QStringLiteral("Cancelled")), qPrintable(err.right(400)));
    }

    void aSignalWithNoDeviceWorkEndsAtOnceAndTheSessionIsLogged() {
        // The question's window is 24 seconds; between its readings no sequence holds the device.
        QProcess ask;
        start(ask, {QStringLiteral("ask"), QStringLiteral("Anyone?"), QStringLiteral("--window"),
                    QStringLiteral("24")});
        QString err;
        QVERIFY(QTest::qWaitFor(
            [&] {
                err += QString::fromUtf8(ask.readAllStandardError());
                return sentReports(err).size() >= 3;
            },
            30000));
        ::kill(static_cast<pid_t>(ask.processId()), SIGINT);
        QVERIFY(ask.waitForFinished(10000));
        QCOMPARE(ask.exitCode(), 130);
        QVERIFY(QString::fromUtf8(ask.readAllStandardError()).contains(QStringLiteral("Cancelled")));
        // The question and what was answered before the signal are in the log, as after a full window.
        QFile log(m_folder.filePath(QStringLiteral("log.qnx")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString logged = QString::fromLatin1(log.readAll());
        QVERIFY2(logged.contains(QStringLiteral("Anyone?")), qPrintable(logged));
        QVERIFY2(logged.contains(QStringLiteral("Telvar X  :")), qPrintable(logged));
    }
};

QTEST_GUILESS_MAIN(TelvarctlInterruptTest)
#include "TelvarctlInterruptTest.moc"
