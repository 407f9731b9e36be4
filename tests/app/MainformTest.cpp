// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"

#include "device/DeviceIdentity.h"
#include "editor/frmPhrase.h"
#include "session/ItcScreen.h"
#include "session/SessionController.h"
#include "session/SessionEnd.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace telvar;
using telvar::test::WindowRig;

namespace {

const QStringList kFrameNames = {QStringLiteral("comframe"),     QStringLiteral("QNframe"),
                                 QStringLiteral("Controlframe"), QStringLiteral("setupframe"),
                                 QStringLiteral("Aboutframe"),   QStringLiteral("Frame10"),
                                 QStringLiteral("update")};

// The screen frames whose own visibility flag is set.
QStringList flagged(const WindowRig& rig) {
    QStringList names;
    for (const QString& name : kFrameNames) {
        if (!rig.frame(name)->isHidden())
            names << name;
    }
    return names;
}

// Whether `frame` is what the user sees in the middle of the screen area.
bool onTop(QFrame* frame) {
    QWidget* area = frame->parentWidget();
    for (QWidget* hit = area->childAt(area->rect().center()); hit; hit = hit->parentWidget()) {
        if (hit == frame)
            return true;
    }
    return false;
}

} // namespace

class MainformTest : public QObject {
    Q_OBJECT
private slots:
    void startsOnTheConnectPromptWithTheLoadResult_data();
    void startsOnTheConnectPromptWithTheLoadResult();
    void aTabClickedBeforeALateStartEndsFindsItsScreen();
    void onlyTheTelvarXBringsTheTabsButAnyDeviceOfTheMakerTakesThemAway();
    void everyTabShowsItsScreenAndTitle_data();
    void everyTabShowsItsScreenAndTitle();
    void unplugKeepsTheOtherScreensFlagsUntilTheNextTabClick();
    void pleaseWaitShowsProgressAndCancels();
    void aJobEndingAfterUnplugLeavesTheTabStripHidden();
    void wordEditorOpensOnce();
    void closingDuringAnUploadAsksThenStopsItCleanly();
    void answeringNoKeepsTheUploadRunning();
    void closingDuringARoutinePollAsksNothing();
    void theWordEditorAsksBeforeUnsavedWordsGo_data();
    void theWordEditorAsksBeforeUnsavedWordsGo();
    void quittingDuringASessionAsks_data();
    void quittingDuringASessionAsks();
};

namespace {

// The window comes out the same whether it builds everything before it shows or the first screen only.
void addStartColumn() {
    QTest::addColumn<bool>("lateStart");
    QTest::newRow("built at once") << false;
    QTest::newRow("built once shown") << true;
}

} // namespace

void MainformTest::startsOnTheConnectPromptWithTheLoadResult_data() {
    addStartColumn();
}

void MainformTest::startsOnTheConnectPromptWithTheLoadResult() {
    QFETCH(bool, lateStart);
    QTemporaryDir dataDir;
    {
        WindowRig rig(test::WindowSetup().withoutDevice().inFolder(dataDir.path()).builtLate(lateStart));
        // A fresh folder has no word-list files: the built-in data is used and written out.
        QTRY_COMPARE(rig.window->windowTitle(), QStringLiteral("Internal data loaded"));
        QVERIFY(!rig.window->windowIcon().isNull());
        QVERIFY(rig.connectPrompt()->isVisible());
        QVERIFY(rig.picture()->isVisible());
        QVERIFY(rig.tabStrip()->isHidden());
        // The ITC screen is flagged visible behind the picture, the others are not.
        QCOMPARE(flagged(rig), QStringList{QStringLiteral("comframe")});
        QVERIFY(!rig.frame(QStringLiteral("comframe"))->isVisible());
        QCOMPARE(rig.window->vocabulary().list1().size(), 2051);
        QCOMPARE(rig.find<QListWidget>(QStringLiteral("List1"))->currentRow(), 0);
        QCOMPARE(rig.find<QPlainTextEdit>(QStringLiteral("Text1"))->toPlainText(),
                 QStringLiteral("About Screen"));
    }
    WindowRig again(test::WindowSetup().withoutDevice().inFolder(dataDir.path()).builtLate(lateStart));
    QTRY_COMPARE(again.window->windowTitle(), QStringLiteral("External data loaded"));
    QCOMPARE(again.window->vocabulary().list1().size(), 2051);
    QCOMPARE(again.find<QListWidget>(QStringLiteral("List1"))->currentRow(), -1); // only the built-in start
}

void MainformTest::onlyTheTelvarXBringsTheTabsButAnyDeviceOfTheMakerTakesThemAway() {
    WindowRig rig(test::WindowSetup().withoutDevice());
    QSignalSpy notifications(&rig.library, &HidLibrary::notify);
    rig.library.plugForeign(kVendorId, 4711);
    rig.library.plugForeign(0x1234, kProductId);
    QTRY_COMPARE(notifications.size(), 4); // plugged and changed for each
    QVERIFY(rig.connectPrompt()->isVisible());
    QVERIFY(rig.tabStrip()->isHidden());

    rig.library.plug();
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());
    QVERIFY(rig.frame(QStringLiteral("comframe"))->isVisible());
    QVERIFY(!rig.connectPrompt()->isVisible());
    QVERIFY(!rig.picture()->isVisible());
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("Internal data loaded")); // until the first tab click

    notifications.clear();
    QVERIFY(rig.library.unplugForeign(0x1234, kProductId)); // another maker's device: no change
    QTRY_COMPARE(notifications.size(), 2);
    QVERIFY(rig.tabStrip()->isVisible());
    QVERIFY(rig.library.unplugForeign(kVendorId, 4711)); // the product id is not asked
    QTRY_VERIFY(rig.connectPrompt()->isVisible());
    QVERIFY(rig.tabStrip()->isHidden());
    QVERIFY(rig.picture()->isVisible());
}

void MainformTest::aTabClickedBeforeALateStartEndsFindsItsScreen() {
    WindowRig rig(test::WindowSetup().builtLate());
    // No event has been handled yet: the rest of the start-up is still to come.
    QCOMPARE(rig.frame(QStringLiteral("Controlframe"))->layout()->count(), 0);
    rig.tabStrip()->setCurrentIndex(static_cast<int>(Mainform::Screen::Setup));
    QCOMPARE(flagged(rig), QStringList{QStringLiteral("Controlframe")});
    QCOMPARE(rig.frame(QStringLiteral("Controlframe"))->layout()->count(), 1);
    QCOMPARE(rig.window->vocabulary().list1().size(), 2051);
}

void MainformTest::everyTabShowsItsScreenAndTitle_data() {
    addStartColumn();
}

void MainformTest::everyTabShowsItsScreenAndTitle() {
    QFETCH(bool, lateStart);
    WindowRig rig(test::WindowSetup().builtLate(lateStart));
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());

    QStringList captions;
    for (int index = 0; index < rig.tabStrip()->count(); ++index)
        captions << rig.tabStrip()->tabText(index);
    QCOMPARE(captions, (QStringList{"ITC", "Telvar X", "SET UP", "Word List", "Help", "Log File", "About"}));
    QCOMPARE(rig.tabStrip()->toolTip(), QStringLiteral("Select a function"));

    const QList<std::pair<QString, QString>> expected = {
        {"Word List", "setupframe"}, {"Log File", "Frame10"}, {"Telvar X", "QNframe"},
        {"Help", "Aboutframe"},      {"About", "update"},     {"SET UP", "Controlframe"},
        {"ITC", "comframe"},
    };
    const QMap<QString, QString> titles = {
        {"ITC", "Telvar X ITC Screen"},           {"Log File", "Telvar X Session Log"},
        {"Telvar X", "Telvar X function Screen"}, {"Word List", "Telvar X Word lists"},
        {"SET UP", "Telvar X setup Screen "},     {"Help", "Telvar X Web Help"},
        {"About", "About Your Telvar X"},
    };
    QSignalSpy selected(rig.window.get(), &Mainform::screenSelected);
    for (const auto& [caption, frameName] : expected) {
        rig.clickTab(caption);
        QCOMPARE(rig.window->windowTitle(), titles.value(caption));
        QCOMPARE(flagged(rig), QStringList{frameName});
        QVERIFY(rig.frame(frameName)->isVisible());
    }
    // The SET UP and About screens read the device when their tab is clicked.
    QCOMPARE(selected.size(), expected.size());
    QCOMPARE(selected.at(5).at(0).value<Mainform::Screen>(), Mainform::Screen::Setup);
}

void MainformTest::unplugKeepsTheOtherScreensFlagsUntilTheNextTabClick() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());
    rig.clickTab(QStringLiteral("SET UP"));
    QFrame* setup = rig.frame(QStringLiteral("Controlframe"));
    QFrame* itc = rig.frame(QStringLiteral("comframe"));

    rig.library.unplug();
    QTRY_VERIFY(rig.connectPrompt()->isVisible());
    QVERIFY(rig.picture()->isVisible());
    QVERIFY(rig.tabStrip()->isHidden());
    QVERIFY(!setup->isVisible());                                        // out of sight and out of reach...
    QCOMPARE(flagged(rig), QStringList{QStringLiteral("Controlframe")}); // ...but still flagged

    rig.library.plug();
    QTRY_VERIFY(rig.tabStrip()->isVisible());
    QVERIFY(!rig.connectPrompt()->isVisible());
    QCOMPARE(flagged(rig), (QStringList{QStringLiteral("comframe"), QStringLiteral("Controlframe")}));
    QVERIFY(onTop(itc));
    QCOMPARE(rig.tabStrip()->tabText(rig.tabStrip()->currentIndex()), QStringLiteral("SET UP"));

    // Clicking the tab that is still selected brings its screen back alone.
    rig.clickTab(QStringLiteral("SET UP"));
    QCOMPARE(flagged(rig), QStringList{QStringLiteral("Controlframe")});
    QVERIFY(onTop(setup));
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("Telvar X setup Screen "));
}

void MainformTest::pleaseWaitShowsProgressAndCancels() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());
    // Most long jobs start on the Word List screen: their progress must be in sight there.
    rig.clickTab(QStringLiteral("Word List"));
    auto* pleaseWait = rig.frame(QStringLiteral("pleaseWaitFrame"));
    auto* progress = rig.find<QProgressBar>(QStringLiteral("pleaseWaitProgress"));
    auto* cancel = rig.find<QPushButton>(QStringLiteral("pleaseWaitCancel"));
    QVERIFY(!pleaseWait->isVisible());

    rig.window->setPleaseWaitVisible(true);
    QVERIFY(pleaseWait->isVisible());
    QVERIFY(!progress->isVisible()); // a short command shows no bar
    QVERIFY(!cancel->isVisible());

    auto device = rig.window->link().begin();
    QVERIFY(device);
    std::optional<WaitResult> ended;
    device->waitReply(std::chrono::seconds(60)).then([&](WaitResult result) { ended = result; });
    rig.window->setPleaseWaitProgress(30, 120);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->maximum(), 120);
    QCOMPARE(progress->value(), 30);
    // Still on top after the screen is shown again, as the upload does when it ends.
    rig.window->showSetupFrame();
    QVERIFY(onTop(rig.frame(QStringLiteral("setupframe"))));
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("Telvar X Word lists"));
    QCOMPARE(pleaseWait->parentWidget()->childAt(
                 cancel->mapTo(pleaseWait->parentWidget(), cancel->rect().center())),
             cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_COMPARE(ended, std::optional(WaitResult::Cancelled));

    rig.window->setPleaseWaitProgress(0, 0);
    QVERIFY(!progress->isVisible());
    QVERIFY(!cancel->isVisible());
    rig.window->setPleaseWaitVisible(false);
    QVERIFY(!pleaseWait->isVisible());
}

void MainformTest::aJobEndingAfterUnplugLeavesTheTabStripHidden() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());
    rig.window->setTabStripVisible(false); // a long job hides it...
    rig.library.unplug();
    QTRY_VERIFY(rig.connectPrompt()->isVisible());
    rig.window->setTabStripVisible(true); // ...and gives it back after the device left
    QVERIFY(rig.tabStrip()->isHidden());
    rig.library.plug();
    QTRY_VERIFY(rig.tabStrip()->isVisible());
}

namespace {
const QString kStopQuestion = QStringLiteral("A command is still running on the Telvar X. Stop it and quit?");

// Starts "Re-Load Word List" and waits until the device has taken `reports` reports of it.
bool startUpload(WindowRig& rig, int reports) {
    rig.clickTab(QStringLiteral("Word List"));
    QTest::mouseClick(rig.find<QPushButton>(QStringLiteral("reloadWordListButton")), Qt::LeftButton);
    return QTest::qWaitFor([&] { return rig.library.device().receivedReports().size() >= reports; });
}
} // namespace

void MainformTest::wordEditorOpensOnce() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    rig.clickTab(QStringLiteral("Word List"));
    auto* button = rig.find<QPushButton>(QStringLiteral("wordEditorButton"));
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    const QList<frmPhrase*> editors = rig.window->findChildren<frmPhrase*>();
    QCOMPARE(editors.size(), 1);
    QVERIFY(editors.first()->isVisible());
    QCOMPARE(editors.first()->workingList().size(), 2051); // the working files of the window's folder

    // It speaks on the window's own device.
    const qsizetype before = rig.library.device().receivedReports().size();
    QTest::mouseClick(editors.first()->findChild<QLabel*>(QStringLiteral("allophoneRR")), Qt::RightButton);
    QVERIFY(QTest::qWaitFor([&] { return !rig.window->link().sequenceRunning(); }));
    const auto reports = rig.library.device().receivedReports().mid(before);
    QCOMPARE(reports.size(), 2);
    QCOMPARE(reports.at(0)[2], quint8(31));
    QCOMPARE(reports.at(1)[1], quint8('V'));
    QCOMPARE(reports.at(1)[2], quint8(148));
}

void MainformTest::closingDuringAnUploadAsksThenStopsItCleanly() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    QVERIFY(startUpload(rig, 40));
    QSignalSpy ended(&rig.window->link(), &DeviceLink::sequenceEnded);

    rig.window->close();
    QTRY_VERIFY(!rig.window->isVisible());
    QCOMPARE(rig.fakePrompter->texts.last(), kStopQuestion);
    QCOMPARE(ended.size(), 1);
    // The last "W" the device took was followed by its data report, so the device takes commands again:
    // had the window let go first, the report would have been refused by a detached library.
    const auto reports = rig.library.device().receivedReports();
    QVERIFY(!rig.library.device().awaitingWordData());
    QCOMPARE(reports.at(reports.size() - 2)[1], quint8('W'));
    // Detached: the device leaving no longer reaches the window.
    const qsizetype after = reports.size();
    rig.library.unplug();
    QTest::qWait(0);
    QVERIFY(rig.window->link().isAttached());
    QCOMPARE(rig.library.device().receivedReports().size(), after);
}

void MainformTest::answeringNoKeepsTheUploadRunning() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    rig.fakePrompter->answers << true << false; // Yes to the upload, No to stopping it
    QVERIFY(startUpload(rig, 40));
    rig.window->close();
    QCOMPARE(rig.fakePrompter->texts.last(), kStopQuestion);
    QVERIFY(rig.window->isVisible());
    QVERIFY(rig.window->link().jobRunning());
    const qsizetype before = rig.library.device().receivedReports().size();
    QTRY_VERIFY(rig.library.device().receivedReports().size() > before + 20);
    rig.window->link().cancel();
    QVERIFY(rig.waitIdle());
}

void MainformTest::closingDuringARoutinePollAsksNothing() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    auto poll = rig.window->link().begin(DeviceLink::Role::Poll);
    QVERIFY(poll);
    std::optional<WaitResult> ended;
    poll->waitReply(std::chrono::seconds(60)).then([&](WaitResult result) { ended = result; });
    rig.window->close();
    QVERIFY(!rig.window->isVisible());
    QVERIFY(rig.fakePrompter->texts.isEmpty());
    QTRY_COMPARE(ended, std::optional(WaitResult::Cancelled));
}

void MainformTest::theWordEditorAsksBeforeUnsavedWordsGo_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("edits");  // 0 nothing replaced, 1 replaced and saved, 2 replaced, not saved
    QTest::addColumn<int>("answer"); // a Prompter::SaveAnswer
    for (const char* path : {"Esc", "Ctrl+W", "close", "Quit"})
        for (int edits : {0, 1, 2})
            for (int answer : {0, 1, 2})
                QTest::addRow("%s, edits %d, %s", path, edits,
                              std::array{"Save", "Discard", "Cancel"}[answer])
                    << QString::fromLatin1(path) << edits << answer;
}

void MainformTest::theWordEditorAsksBeforeUnsavedWordsGo() {
    QFETCH(QString, path);
    QFETCH(int, edits);
    QFETCH(int, answer);
    WindowRig rig;
    rig.window->openWordEditor();
    const QPointer<frmPhrase> editor = rig.window->findChild<frmPhrase*>();
    const auto words = [&] {
        QFile file(rig.window->dataDir() + QStringLiteral("/tempw.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = words();
    if (edits > 0) {
        editor->findChild<QListWidget*>(QStringLiteral("wordList"))->setCurrentRow(0);
        editor->findChild<QLineEdit*>(QStringLiteral("wordBox"))->setText(QStringLiteral("REPLACED"));
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("replaceButton")), Qt::LeftButton);
    }
    if (edits == 1)
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("saveEditsButton")), Qt::LeftButton);
    rig.fakePrompter->saveAnswers << Prompter::SaveAnswer(answer);
    // The editor deletes itself once closed.
    const QPointer<QWidget> closing =
        path == QStringLiteral("Quit") ? static_cast<QWidget*>(rig.window.get()) : editor.data();
    if (path == QStringLiteral("Quit")) {
        rig.find<QAction>(QStringLiteral("quitAction"))->trigger();
    } else if (path == QStringLiteral("close")) {
        editor->close();
    } else {
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::fromString(path));
    }
    const bool asked = edits == 2;
    const bool kept = asked && Prompter::SaveAnswer(answer) == Prompter::SaveAnswer::Cancel;
    QTRY_COMPARE(closing && closing->isVisible(), kept);
    QCOMPARE(rig.fakePrompter->texts.size(), asked ? 1 : 0);
    QCOMPARE(words() != before,
             edits == 1 || (asked && Prompter::SaveAnswer(answer) == Prompter::SaveAnswer::Save));
    QVERIFY(!kept || editor->hasUnsavedEdits()); // asked again next time
}

void MainformTest::quittingDuringASessionAsks_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void MainformTest::quittingDuringASessionAsks() {
    QFETCH(bool, yes);
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    SessionController& session = rig.window->findChild<ItcScreen*>()->session();
    QSignalSpy ended(&session, &SessionController::sessionEnded);
    QVERIFY(session.ask(QStringLiteral("Are you there?"), ResponseWindow::Seconds24));
    rig.fakePrompter->answers << yes;
    rig.find<QAction>(QStringLiteral("quitAction"))->trigger();
    QTRY_COMPARE(rig.window->isVisible(), !yes);
    QCOMPARE(rig.fakePrompter->texts.size(), 1);
    QCOMPARE(ended.size(), yes ? 1 : 0);
    QVERIFY(!yes || ended.first().at(1).value<SessionEnd>() == SessionEnd::ProgramClosed);
    session.endNow();
}

QTEST_MAIN(MainformTest)
#include "MainformTest.moc"
