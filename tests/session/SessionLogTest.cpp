#include "SessionRig.h"
#include "session/LogViewerModel.h"
#include "session/SessionLogFile.h"
#include "session/SessionLogWriter.h"
#include "support/FakePrompter.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
