// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionRig.h"
#include "device/Timings.h"
#include "session/ItcScreen.h"
#include "session/LogScreen.h"
#include "support/FakeScreenHost.h"
#include "vocab/BuiltinVocabulary.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;
using namespace std::chrono_literals;
using telvar::test::kStamp;

class SessionScreensTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    test::VirtualSensor m_device;

    template <typename T> static T* child(QWidget& screen, const char* name) {
        T* widget = screen.findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }

private Q_SLOTS:
    void initTestCase() {
        Timings::setDivisor(20);
        QDir::setCurrent(m_dir.path()); // the log lies in the current folder
        QVERIFY(m_device.attach());
        m_device.link.setPausePeriod(20ms);
    }

    void itcScreenAsksAndListensUntilTheWindowCloses() {
        test::FakeScreenHost host(m_device.link);
        host.vocabulary().setList1(builtin::words());
        ItcScreen screen(host);
        test::useFixedStamp(screen.session().log());
        screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        auto* question = child<QPlainTextEdit>(screen, "questionBox");
        auto* ask = child<QPushButton>(screen, "askButton");
        auto* events = child<QPlainTextEdit>(screen, "eventWindow");
        auto* words = child<QListWidget>(screen, "List1");
        QCOMPARE(question->toPlainText(), QStringLiteral("Enter a question"));
        QCOMPARE(words->count(), 2051);
        QVERIFY(child<QRadioButton>(screen, "option12")->isChecked());
        child<QRadioButton>(screen, "option6")->click();

        // Enter asks, and its line break stays in the question.
        m_device.script(QStringLiteral("5"));
        question->selectAll();
        QTest::keyClicks(question, QStringLiteral("Who is there?"));
        QTest::keyClick(question, Qt::Key_Return);
        QTRY_VERIFY(!question->isEnabled());
        QVERIFY(!ask->isEnabled());
        QCOMPARE(question->toPlainText(), QString());
        QCOMPARE(events->toPlainText(), QStringLiteral(" USER ASKED: Who is there?\n\n"));
        QTRY_VERIFY_WITH_TIMEOUT(question->isEnabled() && question->hasFocus(), 10000);
        QVERIFY(ask->isEnabled());
        QCOMPARE(words->currentRow(), 5);
        QCOMPARE(events->toPlainText(), QStringLiteral("Telvar X  : SUPPER\n USER ASKED: Who is there?\n\n"));

        // A pasted line break asks too; while the screen is hidden no word is shown.
        screen.hide();
        m_device.script(QStringLiteral("7"));
        question->insertPlainText(QStringLiteral("one\ntwo"));
        QTRY_VERIFY(!question->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(question->isEnabled(), 10000);
        QCOMPARE(words->currentRow(), 5);
        QVERIFY(
            events->toPlainText().startsWith(QStringLiteral("Telvar X  :\n USER ASKED: one\ntwo\nTelvar")));
        // Enter's CR LF stays in the logged question, so the stamp starts the next line.
        QCOMPARE(test::readFile(QStringLiteral("log.qnx")),
                 "USER: Who is there?\r\n" + kStamp + "\r\n\r\nTelvar X  : SUPPER  " + kStamp +
                     "\r\n\r\nUSER: one\r\ntwo" + kStamp + "\r\n\r\nTelvar X  :  " + kStamp + "\r\n\r\n");
    }

    // Keys typed after Enter go where they change nothing: not into the 6/12/24 options (a blank or an
    // arrow would choose another window) and not into the next question.
    void keysTypedDuringASessionChangeNothing() {
        test::FakeScreenHost host(m_device.link);
        ItcScreen screen(host);
        screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        auto* question = child<QPlainTextEdit>(screen, "questionBox");
        auto* twelve = child<QRadioButton>(screen, "option12");
        screen.focusQuestion();
        QTest::keyClicks(question, QStringLiteral("Anyone?"));
        QTest::keyClick(question, Qt::Key_Return);
        QTRY_VERIFY(!question->isEnabled());
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Space, Qt::Key_A})
            QTest::keyClick(QApplication::focusWidget(), key);
        QVERIFY(twelve->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(question->isEnabled() && question->hasFocus(), 10000);
        QVERIFY(twelve->isChecked());
        QCOMPARE(question->toPlainText(), QString());
    }

    // A click into the box while it still holds its prompt selects the prompt, so typing replaces it.
    void typingAfterAClickReplacesThePrompt() {
        test::FakeScreenHost host(m_device.link);
        ItcScreen screen(host);
        screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        auto* question = child<QPlainTextEdit>(screen, "questionBox");
        // Whether or not the prompt was selected already (the window selects it when it shows the box).
        screen.focusQuestion();
        QTest::mouseClick(question->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
        QTRY_COMPARE(question->textCursor().selectedText(), QStringLiteral("Enter a question"));
        QTest::keyClicks(question, QStringLiteral("Is anyone here?"));
        QCOMPARE(question->toPlainText(), QStringLiteral("Is anyone here?"));
        // Once the user's own text is there, a click only places the cursor.
        QTest::mouseClick(question->viewport(), Qt::LeftButton, {}, QPoint(2, 4));
        QTest::keyClicks(question, QStringLiteral("Oh, "));
        QCOMPARE(question->toPlainText(), QStringLiteral("Oh, Is anyone here?"));
    }

    void logScreenReadsOnTopAndClearsOnOk() {
        test::FakeScreenHost host(m_device.link);
        LogScreen screen(host);
        auto* viewer = child<QPlainTextEdit>(screen, "logViewer");
        QFile file(QStringLiteral("log.qnx"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("Q1\r\n\r\n");
        file.close();
        child<QPushButton>(screen, "readLogButton")->click();
        QCOMPARE(viewer->toPlainText(), QStringLiteral("\nQ1\n"));
        child<QPushButton>(screen, "clearLogButton")->click();
        QTRY_COMPARE(viewer->toPlainText(), QString());
        QVERIFY(!file.exists());
        QCOMPARE(host.fakePrompter().titles.last(), QStringLiteral("Erase Log"));
    }
};

QTEST_MAIN(SessionScreensTest)
#include "SessionScreensTest.moc"
