// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionRig.h"
#include "session/LogViewerModel.h"
#include "session/SessionLogFile.h"
#include "session/SessionLogWriter.h"
#include "support/FakePrompter.h"
#include "support/FileSizeLimit.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

using namespace telvar;
using telvar::test::kStamp;

class SessionLogTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("log.qnx")); }

    void writeRaw(const QByteArray& bytes) {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private Q_SLOTS:
    void init() { QFile::remove(path()); }

    void entriesAreWrittenToTheByte() {
        writeRaw("earlier\r\n");
        SessionLogWriter log(path());
        test::useFixedStamp(log);
        // Only blanks are trimmed: the line break Enter left stays, so the stamp starts a new line.
        QVERIFY(log.writeQuestion(QStringLiteral("  Caf\u00e9 \u20ac \u65e5?\r\n  ")));
        QVERIFY(log.isOpen());
        // On disk while the window is still open: a crash during it keeps the question.
        QCOMPARE(test::readFile(path()), "earlier\r\nUSER: Caf\xe9 \x80 ??\r\n" + kStamp + "\r\n\r\n");
        QVERIFY(log.writeAnswerAndClose(QStringLiteral(" SUPPER CARRIER")));
        QVERIFY(!log.isOpen());
        QVERIFY(log.writeQuestion(QStringLiteral("again")));
        QVERIFY(log.writeAnswerAndClose(QString()));
        QCOMPARE(test::readFile(path()), "earlier\r\n"
                                         "USER: Caf\xe9 \x80 ??\r\n" +
                                             kStamp +
                                             "\r\n\r\n"
                                             "Telvar X  : SUPPER CARRIER  " +
                                             kStamp +
                                             "\r\n\r\n"
                                             "USER: again" +
                                             kStamp +
                                             "\r\n\r\n"
                                             "Telvar X  :  " +
                                             kStamp + "\r\n\r\n");
    }

    void logErasedDuringASessionIsCreatedAfresh() {
        SessionLogWriter log(path());
        test::useFixedStamp(log);
        QVERIFY(log.writeQuestion(QStringLiteral("Q")));
        QVERIFY(QFile::remove(path()));
        QVERIFY(log.writeAnswerAndClose(QStringLiteral(" A")));
        QCOMPARE(test::readFile(path()), "Telvar X  : A  " + kStamp + "\r\n\r\n");
    }

    void unwritableLogSaysWhy() {
        QTemporaryDir locked;
        test::makeLogUnwritable(locked.path());
        SessionLogWriter log(QDir(locked.path()).filePath(QStringLiteral("log.qnx")));
        QVERIFY(!log.writeQuestion(QStringLiteral("Q")));
        QVERIFY(!log.errorString().isEmpty());
        // Clear Log cannot erase it either, and says so.
        LogViewerModel model(SessionLogFile(log.path()));
        QSignalSpy problems(&model, &LogViewerModel::problem);
        test::FakePrompter prompter;
        QVERIFY(QCoro::waitFor(model.clearLog(prompter)));
        QCOMPARE(problems.size(), QFileInfo::exists(log.path()) ? 1 : 0);
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // On a full disk an entry is written whole or not at all, and the disk's reason is given.
    void anEntryThatDoesNotFitLeavesNoPart() {
        writeRaw("earlier\r\n");
        SessionLogWriter log(path());
        test::useFixedStamp(log);
        {
            const test::FileSizeLimit full(20);
            QVERIFY(!log.writeQuestion(QStringLiteral("a question longer than the room left")));
        }
        QCOMPARE(log.errorString(), QString::fromLocal8Bit(std::strerror(EFBIG)));
        QCOMPARE(test::readFile(path()), QByteArray("earlier\r\n"));
    }

    // Line breaks of every kind reach the file as they were given, whatever lines they make there.
    void lineBreaksInAnEntryStay() {
        SessionLogWriter log(path());
        test::useFixedStamp(log);
        QVERIFY(log.writeQuestion(QStringLiteral(" one\r\ntwo\rthree\nTelvar X  : fake\n ")));
        QVERIFY(log.writeAnswerAndClose(QStringLiteral(" LINE\nFEED")));
        QCOMPARE(test::readFile(path()), "USER: one\r\ntwo\rthree\nTelvar X  : fake\n" + kStamp +
                                             "\r\n\r\nTelvar X  : LINE\nFEED  " + kStamp + "\r\n\r\n");
    }

    // The stamp is the date and the time as the desktop shows them, with no zone after the time.
    void stampLeavesOutTheTimeZone_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zone last") << "HH:mm:ss t"
                                   << "HH:mm:ss";
        QTest::newRow("long zone name") << "h:mm:ss AP tttt"
                                        << "h:mm:ss AP";
        QTest::newRow("zone first") << "t HH:mm:ss"
                                    << "HH:mm:ss";
        QTest::newRow("zone in the middle") << "HH:mm t ss"
                                            << "HH:mm ss";
        QTest::newRow("quoted t stays") << "H 'tt' mm t"
                                        << "H 'tt' mm";
        QTest::newRow("no zone") << "HH.mm.ss"
                                 << "HH.mm.ss";
    }
    void stampLeavesOutTheTimeZone() {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(SessionLogWriter::withoutTimeZone(format), expected);
    }
    void stampOfRealLocalesHasNoZone() {
        const QDateTime moment(QDate(2026, 12, 7), QTime(9, 21, 1), Qt::UTC);
        for (const QLocale& locale :
             {QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::German, QLocale::Germany),
              QLocale::c(), QLocale::system()}) {
            QFile::remove(path());
            SessionLogWriter log(
                path(), [&] { return moment; }, locale);
            QVERIFY(log.writeQuestion(QStringLiteral("Q")));
            log.close();
            const QByteArray entry = test::readFile(path());
            QVERIFY2(!entry.contains("UTC") && !entry.contains("GMT") && !entry.contains("Coordinated"),
                     entry.constData());
            QVERIFY2(entry.contains(locale.toString(moment.time(), QStringLiteral("mm:ss")).toLatin1()),
                     entry.constData());
        }
        QFile::remove(path());
        SessionLogWriter british(
            path(), [&] { return moment; }, QLocale(QLocale::English, QLocale::UnitedKingdom));
        QVERIFY(british.writeQuestion(QStringLiteral("Q")));
        british.close();
        QCOMPARE(test::readFile(path()), QByteArray("USER: Q07/12/202609:21:01\r\n\r\n"));
    }

    // A log that is there but cannot be read is said to be so (Read Log and `telvarctl log`); only a
    // missing one is quietly nothing. Reading never waits on a pipe nor fills memory from a huge file.
    void unreadableLogSaysWhy_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder") << "folder"
                                << "folder";
        QTest::newRow("pipe") << "pipe"
                              << "not a regular file";
        QTest::newRow("too large") << "large"
                                   << "too large";
    }
    void unreadableLogSaysWhy() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        if (kind == "folder") {
            QVERIFY(QDir().mkdir(path()));
        } else if (kind == "pipe") {
            QCOMPARE(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
        } else {
            QFile file(path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(SessionLogFile::kMaxReadSize + 1)); // sparse: no disk space taken
        }
        bool missing = true;
        QString error;
        QVERIFY(!SessionLogFile(path()).readLines(&missing, &error));
        QVERIFY(!missing);
        QVERIFY2(error.contains(reason), qPrintable(error));

        LogViewerModel model(SessionLogFile{path()});
        QSignalSpy problems(&model, &LogViewerModel::problem);
        model.readLog();
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().first().toString().contains(reason));
        QDir().rmdir(path());
        QFile::remove(path());

        model.readLog(); // no log at all: nothing to say
        QCOMPARE(problems.size(), 1);
    }

    void linesEndAtCarriageReturns() {
        QVERIFY(!SessionLogFile(path()).readLines());
        writeRaw("one\r\n\r\ntwo\rthree\nstill three\xe9\r\n");
        QCOMPARE(*SessionLogFile(path()).readLines(),
                 QStringList({"one", "", "two", QStringLiteral("three\nstill three\u00e9")}));
    }

    void readLogStacksTheFileNewestLineFirst() {
        LogViewerModel model(SessionLogFile{path()});
        model.readLog();
        QCOMPARE(model.text(), QString());
        writeRaw("Q1\r\n\r\nA1\r\n\r\n");
        model.readLog();
        QCOMPARE(model.text(), QStringLiteral("\nA1\n\nQ1\n"));
        model.readLog();
        QCOMPARE(model.text(), QStringLiteral("\nA1\n\nQ1\n\nA1\n\nQ1\n"));
    }

    void clearLogErasesOnlyOnOk() {
        writeRaw("Q1\r\n\r\n");
        LogViewerModel model(SessionLogFile{path()});
        model.readLog();
        test::FakePrompter prompter;
        prompter.answers << false << true;

        QVERIFY(!QCoro::waitFor(model.clearLog(prompter)));
        QCOMPARE(model.text(), QStringLiteral("\nQ1\n"));
        QVERIFY(QFile::exists(path()));
        QCOMPARE(prompter.texts.first(), QStringLiteral("This will Erase the Log File "));
        QCOMPARE(prompter.titles.first(), QStringLiteral("Erase Log"));

        QVERIFY(QCoro::waitFor(model.clearLog(prompter)));
        QCOMPARE(model.text(), QString());
        QVERIFY(!QFile::exists(path()));
        model.readLog();
        QCOMPARE(model.text(), QString());
        // A log that is already gone is no failure.
        QSignalSpy problems(&model, &LogViewerModel::problem);
        QVERIFY(QCoro::waitFor(model.clearLog(prompter)));
        QVERIFY(problems.isEmpty());
    }
};

QTEST_GUILESS_MAIN(SessionLogTest)
#include "SessionLogTest.moc"
