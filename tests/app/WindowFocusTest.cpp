#include "WindowRig.h"

#include "app/VirtualDeviceControls.h"
#include "editor/frmPhrase.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

using namespace telvar;
using telvar::test::WindowRig;

namespace {

// Brings the device screens up in an active window with the simulate-mode dock, as the program starts.
void startUp(WindowRig& rig) {
    new VirtualDeviceControls(rig.library, *rig.window);
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());
}

void replug(WindowRig& rig) {
    rig.clickTab(QStringLiteral("Log File"));
    rig.find<QWidget>(QStringLiteral("TabStrip1"))->setFocus();
    rig.library.unplug();
    QTRY_VERIFY(rig.connectPrompt()->isVisible());
    rig.library.plug();
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());
}

frmPhrase* openEditor(WindowRig& rig) {
    rig.clickTab(QStringLiteral("Word List"));
    rig.find<QPushButton>(QStringLiteral("wordEditorButton"))->click();
    auto* editor = rig.window->findChild<frmPhrase*>();
    return QTest::qWaitForWindowActive(editor) ? editor : nullptr;
}

// Typed phonetics stay when Tab reaches the word list: focus alone chooses no word.
void tabIntoTheWordList(WindowRig& rig) {
    frmPhrase* editor = openEditor(rig);
    QVERIFY(editor);
    auto* sayData = editor->findChild<QLineEdit*>(QStringLiteral("txtSayData"));
    auto* words = editor->findChild<QListWidget*>(QStringLiteral("wordList"));
    QTRY_COMPARE(QApplication::focusWidget(), sayData);
    QTest::keyClicks(sayData, QStringLiteral("\\IY\\EH"));
    while (QApplication::focusWidget() != words && QApplication::focusWidget() != nullptr &&
           QApplication::focusWidget()->window() == editor)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(sayData->text(), QStringLiteral("\\IY\\EH"));
    QVERIFY(words->selectedItems().isEmpty());
    // A key does choose.
    QTest::keyClick(words, Qt::Key_Space);
    QCOMPARE(words->selectedItems().size(), 1);
    QCOMPARE(sayData->text(), editor->findChild<QLineEdit*>(QStringLiteral("storedPhoneticsBox"))->text());
    QTest::keyClick(words, Qt::Key_Down);
    QCOMPARE(words->currentRow(), 1);
    QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("wordBox"))->text(), words->item(1)->text());
}

// The pressed button keeps the focus through the job it starts, which disables it meanwhile.
void pressAndWait(WindowRig& rig, const QString& screen, const char* button) {
    rig.clickTab(screen);
    QVERIFY(rig.waitIdle());
    auto* pressed = rig.find<QPushButton>(QString::fromLatin1(button));
    pressed->setFocus();
    QTest::keyClick(pressed, Qt::Key_Space);
    QVERIFY(!pressed->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(pressed->isEnabled(), 30000);
}

} // namespace

class WindowFocusTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void theFocusIsWhereTheUserWorks_data() {
        QTest::addColumn<std::function<void(WindowRig&)>>("action");
        QTest::addColumn<QString>("focused");
        QTest::newRow("start") << std::function<void(WindowRig&)>([](WindowRig&) {})
                               << QStringLiteral("questionBox");
        QTest::newRow("replug") << std::function<void(WindowRig&)>(replug) << QStringLiteral("questionBox");
        QTest::newRow("next screen by keyboard") << std::function<void(WindowRig&)>([](WindowRig& rig) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
        }) << QStringLiteral("QNframe");
        QTest::newRow("tab into the editor's word list")
            << std::function<void(WindowRig&)>(tabIntoTheWordList) << QStringLiteral("wordList");
        QTest::newRow("Save Setting") << std::function<void(WindowRig&)>([](WindowRig& rig) {
            pressAndWait(rig, QStringLiteral("SET UP"), "saveSensitivityButton");
        }) << QStringLiteral("saveSensitivityButton");
        QTest::newRow("auto-tune") << std::function<void(WindowRig&)>([](WindowRig& rig) {
            pressAndWait(rig, QStringLiteral("SET UP"), "autoTuneStartButton");
        }) << QStringLiteral("autoTuneStartButton");
    }

    void theFocusIsWhereTheUserWorks() {
        QFETCH(std::function<void(WindowRig&)>, action);
        QFETCH(QString, focused);
        WindowRig rig;
        startUp(rig);
        action(rig);
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY(QApplication::focusWidget());
        auto* expected = rig.find<QWidget>(focused);
        QVERIFY2(QApplication::focusWidget() == expected ||
                     expected->isAncestorOf(QApplication::focusWidget()),
                 qPrintable(QApplication::focusWidget()->objectName()));
    }

    // SET UP's screen asks for more room than a small window has; the window keeps the user's size.
    void theWindowKeepsItsSize() {
        WindowRig rig;
        new VirtualDeviceControls(rig.library, *rig.window);
        QVERIFY(rig.waitAttached());
        const QSize given(800, 600);
        rig.window->resize(given);
        QTRY_COMPARE(rig.window->size(), given);
        for (const char* tab : {"SET UP", "Word List", "ITC"}) {
            rig.clickTab(QString::fromLatin1(tab));
            QVERIFY(rig.waitIdle());
            QCOMPARE(rig.window->size(), given);
        }
        replug(rig);
        QCOMPARE(rig.window->size(), given);
    }

    void theEditorOpensOverTheWindowWithinTheScreen() {
        WindowRig rig;
        QVERIFY(rig.waitAttached());
        const QRect available = rig.window->screen()->availableGeometry();
        rig.window->resize(600, 400);
        rig.window->move(available.center() - QPoint(300, 200));
        frmPhrase* editor = openEditor(rig);
        QVERIFY(editor);
        QVERIFY(available.contains(editor->frameGeometry()));
        QVERIFY(editor->frameGeometry().intersects(rig.window->frameGeometry()));
        QVERIFY(editor->frameGeometry().contains(rig.window->frameGeometry().center()));
    }
};

QTEST_MAIN(WindowFocusTest)
#include "WindowFocusTest.moc"
