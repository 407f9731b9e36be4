// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"

#include "app/DeviceMenu.h"
#include "session/ItcScreen.h"

#include <QDockWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;
using telvar::test::WindowRig;
using telvar::test::WindowSetup;

namespace {

const QString kStopQuestion = QStringLiteral("A command is still running on the Telvar X. Stop it and quit?");

QString connection(const WindowRig& rig) {
    return rig.find<QLabel>(QStringLiteral("connectionState"))->text();
}
QString failure(const WindowRig& rig) {
    return rig.find<QLabel>(QStringLiteral("lastFailure"))->text();
}

// Starts "Re-Load Word List" and waits until the device has taken `reports` reports of it.
bool startUpload(WindowRig& rig, int reports) {
    rig.clickTab(QStringLiteral("Word List"));
    QTest::mouseClick(rig.find<QPushButton>(QStringLiteral("reloadWordListButton")), Qt::LeftButton);
    return QTest::qWaitFor([&] { return rig.library.device().receivedReports().size() >= reports; });
}

// What happens to the window before the title is looked at; the row names what then ends it.
enum class Situation { HeldElsewhere, SwitchRefused, JobFailed, PlugOnly };

bool activate(WindowRig& rig) {
    rig.window->activateWindow();
    return QTest::qWaitForWindowActive(rig.window.get());
}

} // namespace

Q_DECLARE_METATYPE(Situation)

class WindowStatusTest : public QObject {
    Q_OBJECT
private slots:
    void statusBarFollowsTheDeviceAndTheLastFailure();
    void theTitleAfterStartPlugAndJobs_data();
    void theTitleAfterStartPlugAndJobs();
    void controlsThatAJobWouldRefuseAreDisabledAndEscapeCancels();
    void ctrlQAsksWhileAJobRunsAndQuitsWhenIdle();
    void screenKeysStepThroughTheTabsOnlyWithADevice();
    void sizeAndDockComeBackOnTheNextRunButNeverBiggerThanTheScreen();
    void docksShareOnePlaceOnAShortScreenUntilTheUserPlacesThem();
    void aSessionShowsItsSecondsLeft();
};

void WindowStatusTest::statusBarFollowsTheDeviceAndTheLastFailure() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    QCOMPARE(connection(rig), QStringLiteral("Telvar X connected"));
    QVERIFY(failure(rig).isEmpty());

    rig.fakePrompter->answers << true;
    QVERIFY(startUpload(rig, 20));
    QVERIFY2(connection(rig).startsWith(QStringLiteral("Telvar X busy: ")), qPrintable(connection(rig)));
    QVERIFY(connection(rig).size() > QStringLiteral("Telvar X busy: ").size()); // the job's own name

    // The device leaves mid-upload: the job fails, and both the state and the reason stay in sight.
    rig.library.unplug();
    QVERIFY(rig.waitIdle());
    QCOMPARE(connection(rig), QStringLiteral("Telvar X not connected"));
    QVERIFY2(failure(rig).startsWith(QStringLiteral("Failed: Upload stopped at word")),
             qPrintable(failure(rig)));
    QVERIFY(failure(rig).contains(QStringLiteral("the Telvar X is not connected")));

    rig.library.plug();
    QVERIFY(rig.waitAttached());
    QCOMPARE(connection(rig), QStringLiteral("Telvar X connected"));
    QVERIFY(failure(rig).isEmpty());

    // A job refused because another holds the device is a failure too, until the next action (a tab click).
    auto held = rig.window->link().begin(DeviceLink::Role::Job, QStringLiteral("testing"));
    QVERIFY(held);
    QCOMPARE(connection(rig), QStringLiteral("Telvar X busy: testing"));
    rig.clickTab(QStringLiteral("SET UP"));
    QVERIFY2(failure(rig).contains(DeviceLink::busyText()), qPrintable(failure(rig)));
    held.reset();
    QCOMPARE(connection(rig), QStringLiteral("Telvar X connected"));
    rig.clickTab(QStringLiteral("Help"));
    QVERIFY(failure(rig).isEmpty());
}

void WindowStatusTest::theTitleAfterStartPlugAndJobs_data() {
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<QString>("during"); // how the title starts while it lasts; empty: as before
    QTest::addColumn<bool>("outlasts");  // the title stays so when it ends; else the status before
    QTest::newRow("held by another program at the late start")
        << Situation::HeldElsewhere << "The Telvar X is in use by telvarctl (process 7)" << false;
    QTest::newRow("a switch refused while a job runs")
        << Situation::SwitchRefused << "Telvar X busy: switch devices when it has finished" << false;
    // A plug or an unplug writes no title: the failure stays until a tab click.
    QTest::newRow("a failed job, unplug and replug")
        << Situation::JobFailed << "Upload stopped at word" << true;
    QTest::newRow("a plug after start-up") << Situation::PlugOnly << QString() << true;
}

void WindowStatusTest::theTitleAfterStartPlugAndJobs() {
    QFETCH(Situation, situation);
    QFETCH(QString, during);
    QFETCH(bool, outlasts);
    const bool startsWithout = situation == Situation::HeldElsewhere || situation == Situation::PlugOnly;
    WindowSetup setup;
    setup.devicePresent = !startsWithout;
    setup.lateStart = true;
    WindowRig rig(setup);
    bool startedUp = false;
    rig.window->afterStartUp([&startedUp] { startedUp = true; });
    if (situation == Situation::HeldElsewhere)
        rig.window->showDeviceInUse(during);
    QTRY_VERIFY(startedUp);
    const QString loaded = QStringLiteral("Internal data loaded"); // a fresh data folder
    QVERIFY(startsWithout || rig.waitAttached());
    std::optional<Sequence> job;
    if (situation == Situation::SwitchRefused) {
        QVERIFY(rig.waitIdle());
        job.emplace(*rig.window->link().begin(DeviceLink::Role::Job, QStringLiteral("testing")));
        DeviceMenu menu(
            *rig.window, {}, [] { return QList<DeviceCandidate>(); }, {}, QStringLiteral("/nonexistent"));
        menu.choose({QStringLiteral("/tmp/b.json"), QStringLiteral("SIM-0000000B"), true});
    } else if (situation == Situation::JobFailed) {
        rig.fakePrompter->answers << true;
        QVERIFY(startUpload(rig, 20));
        rig.library.unplug();
        QVERIFY(rig.waitIdle());
    }
    const QString title = rig.window->windowTitle();
    QVERIFY2(title.startsWith(during.isEmpty() ? loaded : during), qPrintable(title));
    if (job)
        job.reset();
    else
        rig.library.plug();
    QVERIFY(rig.waitAttached());
    QCOMPARE(rig.window->windowTitle(), outlasts ? title : loaded);
}

void WindowStatusTest::controlsThatAJobWouldRefuseAreDisabledAndEscapeCancels() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    auto* ask = rig.find<QPushButton>(QStringLiteral("askButton"));
    QSlider* setupSlider = rig.frame(QStringLiteral("Controlframe"))->findChild<QSlider*>();
    QVERIFY(setupSlider);
    QVERIFY(ask->isEnabled());
    QVERIFY(setupSlider->isEnabled());

    rig.fakePrompter->answers << true;
    QVERIFY(startUpload(rig, 20));
    QVERIFY(!ask->isEnabled());
    QVERIFY(!setupSlider->isEnabled());
    QVERIFY2(ask->toolTip().startsWith(QStringLiteral("The Telvar X is busy: ")), qPrintable(ask->toolTip()));

    // Escape is Cancel while the please-wait frame shows it.
    QVERIFY(activate(rig));
    QTRY_VERIFY(rig.find<QPushButton>(QStringLiteral("pleaseWaitCancel"))->isVisible());
    QTest::keyClick(rig.window.get(), Qt::Key_Escape);
    QVERIFY(rig.waitIdle());
    QVERIFY(ask->isEnabled());
    QVERIFY(setupSlider->isEnabled());
    // What the user stopped is not reported as a failure.
    QVERIFY2(failure(rig).startsWith(QStringLiteral("Stopped: Upload stopped after word")),
             qPrintable(failure(rig)));

    // With nothing to cancel, Escape starts nothing and stops nothing.
    const qsizetype before = rig.library.device().receivedReports().size();
    QTest::keyClick(rig.window.get(), Qt::Key_Escape);
    QTest::qWait(0);
    QCOMPARE(rig.library.device().receivedReports().size(), before);
}

void WindowStatusTest::ctrlQAsksWhileAJobRunsAndQuitsWhenIdle() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    QVERIFY(activate(rig));
    rig.fakePrompter->answers << true << false; // Yes to the upload, No to stopping it
    QVERIFY(startUpload(rig, 20));
    QVERIFY(activate(rig));
    QTest::keyClick(rig.window.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_COMPARE(rig.fakePrompter->texts.last(), kStopQuestion);
    QVERIFY(rig.window->isVisible());
    QVERIFY(rig.window->link().jobRunning());

    rig.window->link().cancel();
    QVERIFY(rig.waitIdle());
    QTest::keyClick(rig.window.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!rig.window->isVisible());
    QCOMPARE(rig.fakePrompter->texts.count(kStopQuestion), 1); // idle: it quits unasked
}

void WindowStatusTest::screenKeysStepThroughTheTabsOnlyWithADevice() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    QTRY_VERIFY(rig.tabStrip()->isVisible());
    QVERIFY(activate(rig));
    QCOMPARE(rig.tabStrip()->currentIndex(), 0);

    QTest::keyClick(rig.window.get(), Qt::Key_PageUp, Qt::ControlModifier); // wraps to the last tab
    QCOMPARE(rig.tabStrip()->currentIndex(), 6);
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("About Your Telvar X"));
    QTest::keyClick(rig.window.get(), Qt::Key_Tab, Qt::ControlModifier); // and back to the first
    QCOMPARE(rig.tabStrip()->currentIndex(), 0);
    QTest::keyClick(rig.window.get(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(rig.tabStrip()->currentIndex(), 1);
    QVERIFY(rig.frame(QStringLiteral("QNframe"))->isVisible());
    QTest::keyClick(rig.window.get(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(rig.tabStrip()->currentIndex(), 0);
    QVERIFY(rig.waitIdle());

    // On the connect prompt there are no screens to step through.
    rig.library.unplug();
    QTRY_VERIFY(rig.connectPrompt()->isVisible());
    QTest::keyClick(rig.window.get(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(rig.tabStrip()->currentIndex(), 0);
    QVERIFY(rig.connectPrompt()->isVisible());
}

// One run of the window with a dock like the virtual device's speech panel, added before the window shows,
// as the program does.
struct DockedRun {
    // `panelHeight`: the least height of the dock's panel, so that both docks may not fit below the screens.
    explicit DockedRun(const QString& settingsFile, int panelHeight = 0) {
        Mainform::Options options;
        options.dataDir = dataDir.path();
        options.settingsFile = settingsFile;
        window = std::make_unique<Mainform>(library, options, std::make_unique<test::FakePrompter>());
        dock = new QDockWidget(QStringLiteral("speech"), window.get());
        dock->setObjectName(QStringLiteral("speechDock"));
        dock->setWidget(new QPlainTextEdit(dock));
        dock->widget()->setMinimumHeight(panelHeight);
        window->addDockWidget(Qt::BottomDockWidgetArea, dock);
        // Below the sensor trace, as the simulate mode's speech panel stands.
        if (auto* trace = window->findChild<QDockWidget*>(QStringLiteral("sensorTraceDock")))
            window->splitDockWidget(trace, dock, Qt::Vertical);
        window->show();
    }
    QTemporaryDir dataDir;
    EmulatedLibrary library;
    std::unique_ptr<Mainform> window;
    QDockWidget* dock = nullptr;
};

void WindowStatusTest::sizeAndDockComeBackOnTheNextRunButNeverBiggerThanTheScreen() {
    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("telvar.conf"));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize chosen(available.width() * 2 / 3, available.height() * 2 / 3);
    const auto onScreen = [&available](const DockedRun& run) {
        const QRect frame = run.window->frameGeometry();
        return available.contains(frame);
    };
    int panel = 0;
    {
        // The first run: the window's own size, but no bigger than the screen.
        DockedRun run(settings);
        QVERIFY(onScreen(run));
        run.window->resize(chosen);
        QTRY_COMPARE(run.window->size(), chosen);
        // A short screen starts with the panels sharing one place; the user puts them one above the other.
        run.window->addDockWidget(Qt::BottomDockWidgetArea, run.dock, Qt::Vertical);
        QTRY_VERIFY(run.dock->isVisible());
        QCoreApplication::processEvents();
        panel = run.dock->height();
        run.window->close();
    }
    {
        DockedRun run(settings);
        QTRY_COMPARE(run.window->size(), chosen);
        QTRY_COMPARE(run.dock->height(), panel);
        QVERIFY(run.window->tabifiedDockWidgets(run.dock).isEmpty());
        // A size kept from a bigger screen (or a larger scale) is cut down to this one.
        run.window->resize(available.size() * 2);
        run.window->close();
    }
    DockedRun run(settings);
    QVERIFY(onScreen(run));
}

void WindowStatusTest::docksShareOnePlaceOnAShortScreenUntilTheUserPlacesThem() {
    QTemporaryDir folder;
    const int tall = QGuiApplication::primaryScreen()->availableGeometry().height() / 2;
    const QString settings = folder.filePath(QStringLiteral("telvar.conf"));
    {
        DockedRun run(settings, tall);
        auto* trace = run.window->findChild<QDockWidget*>(QStringLiteral("sensorTraceDock"));
        QCOMPARE(run.window->tabifiedDockWidgets(trace), QList<QDockWidget*>{run.dock});
        QTRY_VERIFY(trace->isVisible());
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(run.window->frameGeometry()));
        // The user drags the speech panel out below the trace.
        run.window->addDockWidget(Qt::BottomDockWidgetArea, run.dock, Qt::Vertical);
        QVERIFY(run.window->tabifiedDockWidgets(trace).isEmpty());
        run.window->close();
    }
    // What the user chose is kept.
    DockedRun run(settings, tall);
    auto* trace = run.window->findChild<QDockWidget*>(QStringLiteral("sensorTraceDock"));
    QVERIFY(run.window->tabifiedDockWidgets(trace).isEmpty());
}

void WindowStatusTest::aSessionShowsItsSecondsLeft() {
    WindowRig rig;
    QVERIFY(rig.waitAttached());
    auto* seconds = rig.find<QLabel>(QStringLiteral("sessionTime"));
    QVERIFY(!seconds->isVisible());
    auto* screen = rig.window->findChild<ItcScreen*>();
    QVERIFY(screen->session().ask(QStringLiteral("Are you there?"), ResponseWindow::Seconds6));
    QTRY_VERIFY(seconds->isVisible());
    QVERIFY2(seconds->text().startsWith(QStringLiteral("Session: ")), qPrintable(seconds->text()));
    QVERIFY(seconds->text().contains(QStringLiteral("second")));
    QTRY_VERIFY_WITH_TIMEOUT(!screen->session().isListening(), 30000);
    QTRY_VERIFY(!seconds->isVisible());
}

QTEST_MAIN(WindowStatusTest)
#include "WindowStatusTest.moc"
