// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"

#include "app/HelpViewer.h"
#include "app/VirtualDeviceControls.h"
#include "journal/SessionHistoryWindow.h"

#include <QApplication>
#include <QFocusFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;
using telvar::test::WindowRig;
using telvar::test::WindowSetup;
using Action = std::function<void(WindowRig&)>;

namespace {

// Whether the frame that shows the keyboard focus lies around the widget.
bool framed(const QWidget* widget) {
    const QList<QFocusFrame*> frames = widget->window()->findChildren<QFocusFrame*>();
    return std::any_of(frames.begin(), frames.end(), [widget](const QFocusFrame* frame) {
        return frame->widget() == widget && frame->isVisible();
    });
}

void replug(WindowRig& rig) {
    rig.clickTab(QStringLiteral("Log File"));
    rig.library.unplug();
    QTRY_VERIFY(rig.connectPrompt()->isVisible());
    rig.library.plug();
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());
}

// Typed phonetics stay when Tab reaches the editor's word list: focus alone chooses no word.
void tabIntoTheWordList(WindowRig& rig) {
    rig.clickTab(QStringLiteral("Word List"));
    rig.find<QPushButton>(QStringLiteral("wordEditorButton"))->click();
    auto* sayData = rig.find<QLineEdit>(QStringLiteral("txtSayData"));
    QTRY_COMPARE(QApplication::focusWidget(), sayData);
    QTest::keyClicks(sayData, QStringLiteral("\\IY"));
    auto* words = rig.find<QListWidget>(QStringLiteral("wordList"));
    for (int keys = 0; keys < 100 && QApplication::focusWidget() != words; ++keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(sayData->text(), QStringLiteral("\\IY"));
    QVERIFY(words->selectedItems().isEmpty());
}

// The button keeps the focus through the job it starts, though the job disables it meanwhile.
Action press(const char* button) {
    return [button](WindowRig& rig) {
        rig.clickTab(QStringLiteral("SET UP"));
        QVERIFY(rig.waitIdle());
        auto* pressed = rig.find<QPushButton>(QString::fromLatin1(button));
        pressed->setFocus();
        QTest::keyClick(pressed, Qt::Key_Space);
        QVERIFY(!pressed->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(pressed->isEnabled(), 30000);
    };
}

// The message box the window has open, once it is there.
QMessageBox* openBox() {
    QMessageBox* box = nullptr;
    const bool open = QTest::qWaitFor([&box] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<QMessageBox*>(widget); candidate && candidate->isVisible())
                box = candidate;
        }
        return box != nullptr;
    });
    return open ? box : nullptr;
}

// Presses the button by keyboard, answers its question with `answer`, and waits for the job to end.
Action answer(const char* tab, const char* button, QMessageBox::StandardButton answer) {
    return [tab, button, answer](WindowRig& rig) {
        rig.clickTab(QString::fromLatin1(tab));
        QVERIFY(rig.waitIdle());
        auto* pressed = rig.find<QPushButton>(QString::fromLatin1(button));
        pressed->setFocus();
        QTest::keyClick(pressed, Qt::Key_Space);
        QMessageBox* box = openBox();
        QVERIFY(box);
        QTRY_COMPARE(QApplication::activeWindow(), box);
        box->button(answer)->click();
        QTRY_VERIFY(!rig.window->link().sequenceRunning() && pressed->isEnabled() &&
                    QApplication::activeWindow() == rig.window.get());
    };
}

// Re-Load Word List by keyboard, Yes, then Escape once the upload runs, and OK to the box that says
// it stopped.
void uploadCancelled(WindowRig& rig) {
    rig.clickTab(QStringLiteral("Word List"));
    QVERIFY(rig.waitIdle());
    auto* pressed = rig.find<QPushButton>(QStringLiteral("reloadWordListButton"));
    pressed->setFocus();
    QTest::keyClick(pressed, Qt::Key_Space);
    QMessageBox* box = openBox();
    QVERIFY(box);
    box->button(QMessageBox::Yes)->click();
    QVERIFY(QTest::qWaitFor([&] { return rig.library.device().receivedReports().size() >= 20; }));
    QTest::keyClick(rig.window.get(), Qt::Key_Escape);
    box = openBox();
    QVERIFY(box);
    box->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!rig.window->link().sequenceRunning() && pressed->isEnabled() && pressed->isVisible() &&
                QApplication::activeWindow() == rig.window.get());
}

} // namespace

class WindowFocusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The screens a late start builds after the docks are still reached before them, in the order Tab
    // takes through a window built at once.
    void tabTakesTheSameWayWhenTheScreensAreBuiltLate_data() {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<bool>("boxes"); // Tab reaches a text box or a list on the screen
        for (const char* tab : {"ITC", "SET UP", "Word List", "Log File", "About"})
            QTest::newRow(tab) << QString::fromLatin1(tab) << true;
        for (const char* tab : {"Telvar X", "Help"})
            QTest::newRow(tab) << QString::fromLatin1(tab) << false;
    }
    void tabTakesTheSameWayWhenTheScreensAreBuiltLate() {
        QFETCH(QString, tab);
        QFETCH(bool, boxes);
        const auto way = [&tab](bool late) {
            WindowSetup setup = WindowSetup().asTheProgramStarts();
            WindowRig rig(setup.builtLate(late));
            QStringList stops;
            if (!QTest::qWaitForWindowActive(rig.window.get()) || !rig.waitAttached() ||
                !QTest::qWaitFor([&rig] { return rig.tabStrip()->isVisible(); }))
                return stops;
            rig.clickTab(tab);
            rig.waitIdle();
            rig.tabStrip()->setFocus();
            for (int step = 0; step < 40; ++step) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                const QWidget* focused = QApplication::focusWidget();
                stops << (focused ? focused->metaObject()->className() + QStringLiteral(" ") +
                                        focused->objectName() + (framed(focused) ? " framed" : "")
                                  : QStringLiteral("none"));
            }
            return stops;
        };
        const QStringList atOnce = way(false);
        QVERIFY(!atOnce.isEmpty());
        // Text boxes and lists show where the keyboard is, on the first screen and on those built after it.
        QCOMPARE(!atOnce.filter(QStringLiteral(" framed")).isEmpty(), boxes);
        QCOMPARE(way(true), atOnce);
    }

    void theFocusIsWhereTheUserWorks_data() {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("focused"); // the widget, or the screen it is on
        QTest::addColumn<bool>("boxes");      // the window's own message boxes ask
        QTest::newRow("start") << Action([](WindowRig&) {}) << QStringLiteral("questionBox") << false;
        QTest::newRow("replug") << Action(replug) << QStringLiteral("questionBox") << false;
        QTest::newRow("next screen by keyboard") << Action([](WindowRig&) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
        }) << QStringLiteral("QNframe") << false;
        QTest::newRow("Tab into the editor's word list")
            << Action(tabIntoTheWordList) << QStringLiteral("wordList") << false;
        QTest::newRow("Save Setting")
            << press("saveSensitivityButton") << QStringLiteral("saveSensitivityButton") << false;
        QTest::newRow("auto-tune") << press("autoTuneStartButton") << QStringLiteral("autoTuneStartButton")
                                   << false;
        QTest::newRow("Clear Log, Cancel") << answer("Log File", "clearLogButton", QMessageBox::Cancel)
                                           << QStringLiteral("clearLogButton") << true;
        QTest::newRow("Re-Load Word List, cancelled")
            << Action(uploadCancelled) << QStringLiteral("reloadWordListButton") << true;
        QTest::newRow("Re-Load Word List, No") << answer("Word List", "reloadWordListButton", QMessageBox::No)
                                               << QStringLiteral("reloadWordListButton") << true;
    }

    // The program's windows of their own close by keyboard as a dialog does.
    void escAndCtrlWCloseTheWindowsOfTheirOwn_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QKeySequence>("keys");
        for (const char* window : {"frmPhrase", "helpViewer", "sessionHistory"}) {
            QTest::addRow("%s, Esc", window) << QString::fromLatin1(window) << QKeySequence(Qt::Key_Escape);
            QTest::addRow("%s, Ctrl+W", window)
                << QString::fromLatin1(window) << QKeySequence(Qt::CTRL | Qt::Key_W);
        }
    }
    void escAndCtrlWCloseTheWindowsOfTheirOwn() {
        QFETCH(QString, window);
        QFETCH(QKeySequence, keys);
        QTemporaryDir folder;
        WindowRig rig;
        QWidget* opened = nullptr;
        std::unique_ptr<QWidget> owned;
        test::FakePrompter prompter;
        if (window == QStringLiteral("frmPhrase")) {
            rig.window->openWordEditor();
            opened = rig.find<QWidget>(window);
        } else if (window == QStringLiteral("helpViewer")) {
            owned = std::make_unique<HelpViewer>();
            opened = owned.get();
            opened->show();
        } else {
            owned = std::make_unique<SessionHistoryWindow>(folder.filePath(QStringLiteral("journal.db")),
                                                           prompter);
            opened = owned.get();
            opened->show();
        }
        QVERIFY(opened);
        opened->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(opened));
        QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : opened, keys);
        QTRY_VERIFY(!opened->isVisible());
    }

    // Nor does the window change the size the user gave it: SET UP with the speech dock needs more room
    // than 800x600 and scrolls instead.
    void theFocusIsWhereTheUserWorks() {
        QFETCH(Action, action);
        QFETCH(QString, focused);
        QFETCH(bool, boxes);
        WindowRig rig(boxes ? WindowSetup().withMessageBoxes() : WindowSetup());
        new VirtualDeviceControls(rig.library, *rig.window); // its log came first in the Tab chain
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        QVERIFY(rig.waitAttached());
        QTRY_VERIFY(rig.tabStrip()->isVisible());
        const QSize given(800, 600);
        rig.window->resize(given);
        action(rig);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(rig.waitIdle());
        QCOMPARE(rig.window->size(), given);
        auto* expected = rig.find<QWidget>(focused);
        QTRY_VERIFY(QApplication::focusWidget());
        QVERIFY2(QApplication::focusWidget() == expected ||
                     expected->isAncestorOf(QApplication::focusWidget()),
                 qPrintable(QApplication::focusWidget()->objectName()));
    }
};

QTEST_MAIN(WindowFocusTest)
#include "WindowFocusTest.moc"
