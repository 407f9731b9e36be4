// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionController.h"
#include "SessionRig.h"
#include "device/Timings.h"
#include "vocab/BuiltinVocabulary.h"
#include "vocab/Vocabulary.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace telvar;
using namespace std::chrono_literals;
using telvar::test::kStamp;

class SessionControllerTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<test::VirtualSensor> m_device;
    Vocabulary m_vocabulary;
    std::unique_ptr<SessionController> m_session;

    QString logPath() const { return m_dir.filePath(QStringLiteral("log.qnx")); }
    test::VirtualSensor& device() { return *m_device; }
    bool loggedAnswer(const QByteArray& answer) const {
        return test::readFile(logPath()).endsWith("Telvar X  :" + answer + "  " + kStamp + "\r\n\r\n");
    }
    SessionController& session() { return *m_session; }

    // Asks and waits for the window to close and the last tick to finish; returns the answer.
    QString runSession(ResponseWindow window = ResponseWindow::Seconds12, const QString& question = "Q") {
        QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
        if (!session().ask(question, window) || !ended.wait(20000))
            return QStringLiteral("<no session>");
        if (!QTest::qWaitFor([this] { return !session().isTickRunning(); }, 20000))
            return QStringLiteral("<tick still running>");
        return ended.first().first().toString();
    }

private Q_SLOTS:
    void initTestCase() {
        Timings::setDivisor(20); // poll 10 ms, windows 0.3 / 0.6 / 1.2 s
        m_vocabulary.setList1(builtin::words());
    }

    void init() {
        QFile::remove(logPath());
        m_device = std::make_unique<test::VirtualSensor>();
        QVERIFY(device().attach());
        // Pauses of 1 ms leave every window room for many words.
        device().link.setPausePeriod(20ms);
        m_session = std::make_unique<SessionController>(device().link, m_vocabulary);
        m_session->log().setPath(logPath());
        test::useFixedStamp(m_session->log());
    }

    void cleanup() {
        m_session.reset();
        m_device.reset();
    }

    void newWordsAreShownSpokenAndRememberedBySlot() {
        QSignalSpy selected(m_session.get(), &SessionController::itemSelected);
        // 5 and 7 share high byte 0 and so one slot: 5 comes back once 7 has pushed it out. 300 arrives
        // as 45 + 255 * 1. Only 1..2048 are words; 2048 is the empty entry, so it adds a lone blank.
        device().script(QStringLiteral("5,5,7,7,5,300,300,0,2049,65000,2048"));
        QCOMPARE(runSession(ResponseWindow::Seconds24), QStringLiteral(" SUPPER CARRIER SUPPER COME "));
        QCOMPARE(device().spoken(), QList<int>({5, 7, 5, 300, 2048}));
        QCOMPARE(selected.size(), 10); // at once, and again right before it is spoken
        QCOMPARE(selected.at(7).first().toInt(), 300);
        QCOMPARE(session().recentIndexes().slot(2), 300);
        QCOMPARE(session().recentIndexes().slot(0), 999);

        // The memory outlives the session: 300 is still in its slot, 5 has to wait for 7 to pass.
        device().script(QStringLiteral("300,5,7,5"));
        QCOMPARE(runSession(), QStringLiteral(" CARRIER SUPPER"));
    }

    void wordIsSpokenElevenPauseTicksAfterItIsShown() {
        device().link.setPausePeriod(250ms);
        device().script(QStringLiteral("5"));
        QElapsedTimer clock;
        connect(m_session.get(), &SessionController::itemSelected, this, [&] {
            if (!clock.isValid())
                clock.start();
        });
        qint64 spokenAfter = 0;
        connect(&device().library.device(), &VirtualDevice::spoke, this,
                [&] { spokenAfter = clock.elapsed(); });
        runSession();
        QCOMPARE(device().spoken(), QList<int>({5}));
        QVERIFY2(spokenAfter >= 11 * Timings::scaled(250ms).count(),
                 qPrintable(QString::number(spokenAfter)));
    }

    // The window holds 30 poll periods; each pause covers 13 of them, so polls that waited for the
    // pauses would come to about 4.
    void pollingGoesOnWhileWordsWait() {
        device().link.setPausePeriod(250ms);
        device().script(QStringLiteral("5x3,7x3"));
        QStringList commands; // every report but the polls, in order
        connect(&device().link, &DeviceLink::reportSent, this, [&](const std::array<quint8, 11>& report) {
            if (report[1] == 'A')
                commands << QStringLiteral("A %1 %2").arg(report[2]).arg(report[3]);
            else if (report[1] != 'D')
                commands << QString(QChar(report[1]));
        });
        QCOMPARE(runSession(ResponseWindow::Seconds6), QStringLiteral(" SUPPER CARRIER"));
        QVERIFY2(device().readingsTaken() >= 15, qPrintable(QString::number(device().readingsTaken())));
        QCOMPARE(commands, (QStringList{"A 40 0", "S", "A 56 0", "S"}));
    }

    void hiddenScreenIsPolledButNothingHappens() {
        bool visible = false;
        session().setScreenVisibleCheck([&] { return visible; });
        QSignalSpy selected(m_session.get(), &SessionController::itemSelected);
        device().script(QStringLiteral("5,7"));
        QCOMPARE(runSession(), QString());
        QVERIFY(device().readingsTaken() >= 2);
        QVERIFY(selected.isEmpty());
        QVERIFY(device().spoken().isEmpty());
        QCOMPARE(session().recentIndexes().slot(1), 999);

        visible = true;
        device().script(QStringLiteral("5"));
        QCOMPARE(runSession(), QStringLiteral(" SUPPER"));
    }

    void emptyWindowLogsAnEmptyAnswer() {
        QSignalSpy events(m_session.get(), &SessionController::eventEntry);
        device().script(QStringLiteral("0"));
        QCOMPARE(runSession(ResponseWindow::Seconds6, QStringLiteral("  Who?\r\n")), QString());
        QCOMPARE(events.at(0).first().toString(), QStringLiteral(" USER ASKED:   Who?\r\n"));
        QCOMPARE(events.at(1).first().toString(), QStringLiteral("Telvar X  :"));
        QCOMPARE(test::readFile(logPath()),
                 "USER: Who?\r\n" + kStamp + "\r\n\r\nTelvar X  :  " + kStamp + "\r\n\r\n");
    }

    void wordFoundAfterTheWindowOpensTheNextAnswer() {
        device().fault(QStringLiteral("delay:1000"));
        device().link.setDefaultReplyLimit(10s);
        device().script(QStringLiteral("5"));
        QCOMPARE(runSessionKeepingTick(), QString());
        QSignalSpy selected(m_session.get(), &SessionController::itemSelected);
        QVERIFY(selected.wait(10000));
        QCOMPARE(session().answer(), QStringLiteral(" SUPPER"));
        QCOMPARE(runSession(ResponseWindow::Seconds6), QStringLiteral(" SUPPER"));
        QCOMPARE(device().spoken(), QList<int>({5}));
        QVERIFY(loggedAnswer(" SUPPER"));
    }

    void silentDeviceFailsTicksNotTheSession() {
        device().fault(QStringLiteral("drop:D"));
        device().link.setDefaultReplyLimit(30ms);
        QSignalSpy problems(m_session.get(), &SessionController::problem);
        QCOMPARE(runSession(ResponseWindow::Seconds6), QString());
        QVERIFY(device().readingsTaken() >= 2);
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems.first().first().toString(), QStringLiteral("no reply to \"D\""));
        QVERIFY(loggedAnswer(""));
    }

    void unplugEndsTheWaitingTickAtOnce() {
        device().link.setPausePeriod(20s); // the word would be spoken long after the window
        device().script(QStringLiteral("5"));
        connect(m_session.get(), &SessionController::itemSelected, &device().library,
                &EmulatedLibrary::unplug);
        QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
        QVERIFY(session().ask(QStringLiteral("Q"), ResponseWindow::Seconds24));
        QVERIFY(ended.wait(20000));
        QVERIFY(!session().isTickRunning());
        QCOMPARE(ended.first().first().toString(), QStringLiteral(" SUPPER"));
        QCOMPARE(session().deviceProblem(), WaitResult::Unplugged);
        QVERIFY(device().spoken().isEmpty());
        QVERIFY(loggedAnswer(" SUPPER"));
    }

    void nothingIsSentWhileTheDeviceIsAway() {
        device().script(QStringLiteral("0"));
        QSignalSpy ticks(m_session.get(), &SessionController::tickFinished);
        QSignalSpy problems(m_session.get(), &SessionController::problem);
        connect(m_session.get(), &SessionController::tickFinished, &device().library,
                &EmulatedLibrary::unplug, Qt::SingleShotConnection);
        // Sixty poll periods: without the device none of them may start a tick.
        QCOMPARE(runSession(ResponseWindow::Seconds12), QString());
        // The tick that was due as the unplug was announced may still have run into the gone device.
        QVERIFY2(ticks.size() <= 2, qPrintable(QString::number(ticks.size())));
        QCOMPARE(session().deviceProblem(), WaitResult::Unplugged);
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems.first().first().toString(), describe(WaitResult::Unplugged) + " at \"D\"");
        QVERIFY(loggedAnswer(""));

        // Back on the bus, the next session polls again.
        device().library.plug();
        QVERIFY(QTest::qWaitFor([this] { return device().link.isAttached(); }, 10000));
        device().script(QStringLiteral("5"));
        QCOMPARE(runSession(ResponseWindow::Seconds6), QStringLiteral(" SUPPER"));
    }

    void busyLinkSkipsTicks() {
        auto other = device().link.begin();
        device().script(QStringLiteral("5"));
        QCOMPARE(runSession(ResponseWindow::Seconds6), QString());
        QCOMPARE(device().readingsTaken(), 0);
    }

    void unwritableLogLeavesTheSessionRunning() {
        QTemporaryDir locked;
        test::makeLogUnwritable(locked.path());
        session().log().setPath(QDir(locked.path()).filePath(QStringLiteral("log.qnx")));
        QSignalSpy problems(m_session.get(), &SessionController::problem);
        device().script(QStringLiteral("5"));
        QCOMPARE(runSession(), QStringLiteral(" SUPPER"));
        QCOMPARE(problems.size(), 1); // said once, though the question and the answer both failed
        QVERIFY(problems.first().first().toString().startsWith("The session log could not be written"));
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void closingMidSessionStillLogsTheAnswer() {
        device().link.setPausePeriod(20s);
        device().script(QStringLiteral("5"));
        QSignalSpy selected(m_session.get(), &SessionController::itemSelected);
        QVERIFY(session().ask(QStringLiteral("Q"), ResponseWindow::Seconds24));
        QVERIFY(selected.wait(10000));
        m_session.reset(); // the tick is pausing; it must not come back into the dead controller
        QVERIFY(loggedAnswer(" SUPPER"));
        device().library.unplug();
        QTRY_VERIFY(!device().link.sequenceRunning());
    }

private:
    // As runSession, but returns while the tick that outlived the window still runs.
    QString runSessionKeepingTick() {
        QSignalSpy ended(m_session.get(), &SessionController::sessionEnded);
        if (!session().ask(QStringLiteral("Q"), ResponseWindow::Seconds6) || !ended.wait(20000))
            return QStringLiteral("<no session>");
        return session().isTickRunning() ? ended.first().first().toString() : QStringLiteral("<tick ended>");
    }
};

QTEST_GUILESS_MAIN(SessionControllerTest)
#include "SessionControllerTest.moc"
