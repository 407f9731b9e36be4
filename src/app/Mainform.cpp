// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Mainform.h"

#include "app/AccessibleNames.h"
#include "app/AppLog.h"
#include "app/DevicePicture.h"
#include "app/FocusChain.h"
#include "app/FocusReturn.h"
#include "app/HelpScreen.h"
#include "app/MainWindowPlacement.h"
#include "app/MessageBoxPrompter.h"
#include "app/ProgramSettings.h"
#include "app/TeamJournalDialog.h"
#include "app/TeamJournalLink.h"
#include "device/BusyControls.h"
#include "device/ScreenAction.h"
#include "device/Timings.h"
#include "device/WindowPlacement.h"
#include "editor/MnemonicTable.h"
#include "editor/frmPhrase.h"
#include "files/FolderLock.h"
#include "journal/SensorTrace.h"
#include "journal/SensorTraceChart.h"
#include "journal/SessionHistoryWindow.h"
#include "journal/SessionJournal.h"
#include "journal/TeamJournalTrouble.h"
#include "session/ItcScreen.h"
#include "session/LogScreen.h"
#include "session/SessionController.h"
#include "session/SessionEnd.h"
#include "settings/ModesScreen.h"
#include "settings/SetupController.h"
#include "settings/SetupScreen.h"
#include "vocab/VocabularyLoader.h"
#include "vocab/WordListScreen.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QCoro/QCoroSignal>
#include <QDockWidget>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <utility>

Q_LOGGING_CATEGORY(lcApp, "telvar.app", QtWarningMsg)

namespace telvar {

namespace {

struct ScreenInfo {
    const char* caption;   // the tab's caption
    const char* frameName; // the screen frame's objectName
    const char* title;     // the title bar text its selection sets
};

// In tab order, indexed by Mainform::Screen.
constexpr std::array<ScreenInfo, Mainform::kScreenCount> kScreens{{
    {"ITC", "comframe", "Telvar X ITC Screen"},
    {"Telvar X", "QNframe", "Telvar X function Screen"},
    {"SET UP", "Controlframe", "Telvar X setup Screen "},
    {"Word List", "setupframe", "Telvar X Word lists"},
    {"Help", "Aboutframe", "Telvar X Web Help"},
    {"Log File", "Frame10", "Telvar X Session Log"},
    {"About", "update", "About Your Telvar X"},
}};

const QString kProgramTitle = QStringLiteral("Telvar X");
const QString kInitialTitle = QStringLiteral("Telvar X  VERSION 1.0   ");
// Between the status text and the serial in the title, when several devices are attached.
const QString kDeviceNameSeparator = QStringLiteral(" \u2014 ");
const QString kStopJobQuestion =
    QStringLiteral("A command is still running on the Telvar X. Stop it and quit?");
const QString kEndSessionQuestion =
    QStringLiteral("A question session is still listening on the Telvar X. End it and quit?");
// 240 twips below the top of the screen it lies over.
constexpr int kPleaseWaitTop = 16;

// A late start that was never exposed builds the rest after this long all the same.
constexpr std::chrono::milliseconds kLateStartLimit{1000};

QLabel* boldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

Mainform::Mainform(HidLibrary& library, Options options, std::unique_ptr<Prompter> prompter, QWidget* parent)
    : QMainWindow(parent), m_options(std::move(options)), m_link(library),
      m_prompter(prompter ? std::move(prompter) : std::make_unique<MessageBoxPrompter>(this, kProgramTitle)) {
    if (m_options.replyLimit.count() > 0)
        m_link.setDefaultReplyLimit(m_options.replyLimit);
    setObjectName(QStringLiteral("Mainform"));
    setStatus(kInitialTitle);
    new FocusReturn(this);
    m_placement = new MainWindowPlacement(*this, m_options.settingsFile, [this] { return firstSize(); });
    buildWindow();
    buildTraceDock();
    buildMenus();
    buildStatusBar();
    buildScreenKeys();
    nameUncaptionedControls(this);
    connect(&m_link, &DeviceLink::plugged, this, &Mainform::hidon);
    connect(&m_link, &DeviceLink::unplugged, this, &Mainform::deviceRemoved);
    startUp();
    if (m_options.lateStart)
        finishStartUpOnceShown();
    else
        finishStartUp();
}

void Mainform::finishStartUpOnceShown() {
    // The first paint has gone out when the window system exposes the window; the rest is built in the
    // next turn of the event loop. A window never exposed (started minimised) gets it a moment later.
    QTimer::singleShot(kLateStartLimit, this, &Mainform::finishStartUp);
}

bool Mainform::event(QEvent* event) {
    if (event->type() == QEvent::Show && !m_startedUp && windowHandle())
        windowHandle()->installEventFilter(this);
    return QMainWindow::event(event);
}

bool Mainform::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle() && !m_startedUp) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, &Mainform::finishStartUp);
    }
    return QMainWindow::eventFilter(watched, event);
}

void Mainform::finishStartUp() {
    if (m_startedUp)
        return;
    m_startedUp = true;
    setWindowIcon(DevicePicture::icon());
    buildOtherScreens();
    buildJournal();
    nameUncaptionedControls(this);
    loadVocabulary();
    // A first start asks for the room of its largest screen, which is only now there.
    m_placement->wantedSizeChanged();
    for (const auto& step : std::exchange(m_afterStartUp, {}))
        step();
}

void Mainform::afterStartUp(std::function<void()> step) {
    if (m_startedUp)
        step();
    else
        m_afterStartUp.push_back(std::move(step));
}

Mainform::~Mainform() {
    // Sequences still running end here, quietly, while their screens can still take their endings.
    m_prompter->silence();
    m_link.closeDown();
    m_link.hiddetach();
    // The screens go first, while the link and the vocabulary they refer to still exist.
    delete takeCentralWidget();
    // The journal writes what the session left it and tells of it as it goes (the session's end among
    // it): by then this window is half gone and must not hear of it.
    if (m_journal) {
        m_journal->disconnect();
        delete std::exchange(m_journal, nullptr);
    }
}

void Mainform::buildWindow() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);

    m_tabStrip = new QTabBar(central);
    m_tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    m_tabStrip->setToolTip(QStringLiteral("Select a function"));
    m_tabStrip->setExpanding(false);
    m_tabStrip->setUsesScrollButtons(false);
    m_tabStrip->setDrawBase(true);
    for (const ScreenInfo& screen : kScreens)
        m_tabStrip->addTab(QString::fromLatin1(screen.caption));
    m_tabStrip->hide();
    // A click on the tab that is already selected switches too (after a replug the ITC screen covers it).
    connect(m_tabStrip, &QTabBar::currentChanged, this, &Mainform::tabClick);
    connect(m_tabStrip, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == m_tabStrip->currentIndex())
            tabClick();
    });
    column->addWidget(m_tabStrip);

    m_connectPrompt = new QFrame(central);
    m_connectPrompt->setObjectName(QStringLiteral("Frame1"));
    m_connectPrompt->setFrameShape(QFrame::StyledPanel);
    auto* promptLayout = new QVBoxLayout(m_connectPrompt);
    promptLayout->addWidget(boldLabel(QStringLiteral("Please Connect the Telvar X"), m_connectPrompt));
    column->addWidget(m_connectPrompt);

    // The picture and the screens take the same place; the picture is shown while no device is attached.
    auto* stage = new QWidget(central);
    auto* stageGrid = new QGridLayout(stage);
    stageGrid->setContentsMargins(0, 0, 0, 0);

    m_picture = new QFrame(stage);
    m_picture->setObjectName(QStringLiteral("Frame2"));
    auto* pictureLayout = new QVBoxLayout(m_picture);
    pictureLayout->addWidget(new DevicePicture(m_picture));
    stageGrid->addWidget(m_picture, 0, 0);

    // The frames keep their own visibility flags; hiding their common parent while no device is attached
    // keeps the hidden-away screens out of reach without touching those flags.
    m_screenArea = new QWidget(stage);
    auto* screenGrid = new QGridLayout(m_screenArea);
    screenGrid->setContentsMargins(0, 0, 0, 0);
    for (int index = 0; index < kScreenCount; ++index) {
        auto* frame = new QFrame(m_screenArea);
        frame->setObjectName(QString::fromLatin1(kScreens[index].frameName));
        frame->setFrameShape(QFrame::NoFrame);
        frame->setAutoFillBackground(true); // the screen on top hides any other still flagged visible
        auto* frameGrid = new QGridLayout(frame);
        frameGrid->setContentsMargins(0, 0, 0, 0);
        frame->hide();
        screenGrid->addWidget(frame, 0, 0);
        m_frames[index] = frame;
    }
    m_screenArea->hide();
    stageGrid->addWidget(m_screenArea, 0, 0);
    // A screen that needs more room than the window has scrolls, rather than making the window grow out
    // of the size the user gave it.
    auto* scroller = new QScrollArea(central);
    scroller->setObjectName(QStringLiteral("screenScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setFocusPolicy(Qt::NoFocus); // Tab goes to the screen's controls, which scroll into view
    scroller->setWidget(stage);
    column->addWidget(scroller, 1);

    setCentralWidget(central);
    buildFirstScreen();
}

QSize Mainform::firstSize() const {
    // A scroll area asks for a fixed number of text lines whatever it holds; a first start asks for the
    // room of the largest screen instead, so that none scrolls where the monitor has that room.
    const auto* scroller = findChild<QScrollArea*>(QStringLiteral("screenScroller"));
    QSize largest = scroller->widget()->sizeHint();
    for (const QFrame* frame : m_frames)
        largest = largest.expandedTo(frame->sizeHint());
    const QSize scrollerHint = scroller->sizeHint();
    const int frameWidth = 2 * scroller->frameWidth();
    return sizeHint() + (largest + QSize(frameWidth, frameWidth) - scrollerHint).expandedTo(QSize(0, 0));
}

void Mainform::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    // Quit goes the way of the window's close button, which asks while a job runs.
    QAction* quit = file->addAction(tr("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("quitAction"));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* history = view->addAction(tr("Session history"), QKeySequence(Qt::CTRL | Qt::Key_H), this,
                                       &Mainform::showSessionHistory);
    history->setObjectName(QStringLiteral("sessionHistoryAction"));
    history->setEnabled(!m_options.journalPath.isEmpty());
    QAction* team = view->addAction(tr("Team journal..."), this, &Mainform::chooseTeamJournal);
    team->setObjectName(QStringLiteral("teamJournalAction"));
    team->setEnabled(!m_options.journalPath.isEmpty());
    view->addAction(findChild<QDockWidget*>(QStringLiteral("sensorTraceDock"))->toggleViewAction());

    m_helpMenu = menuBar()->addMenu(tr("&Help"));
    QAction* about = m_helpMenu->addAction(tr("&About Telvar X"), this, &Mainform::showAbout);
    about->setObjectName(QStringLiteral("aboutAction"));
}

void Mainform::buildTraceDock() {
    m_trace = new SensorTrace(this);
    m_trace->follow(*m_session);
    auto* dock = new QDockWidget(tr("Sensor trace"), this);
    dock->setObjectName(QStringLiteral("sensorTraceDock"));
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    dock->setWidget(new SensorTraceChart(*m_trace, dock));
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    if (!m_options.journalPath.isEmpty()) {
        // Said in its place in the status bar, before the connection, from the start.
        m_teamState = new QLabel(statusBar());
        statusBar()->addPermanentWidget(m_teamState);
    }
}

void Mainform::buildJournal() {
    if (m_options.journalPath.isEmpty())
        return;
    m_journal = new SessionJournal(m_options.journalPath, this);
    m_journal->follow(*m_session);
    connect(m_journal, &SessionJournal::problem, this, &Mainform::noteFailure);
    connect(m_journal, &SessionJournal::sessionRecorded, this, [this] {
        if (m_history && m_history->isVisible())
            m_history->reload();
    });
    buildTeamJournal();
}

void Mainform::buildTeamJournal() {
    m_team = new TeamJournalLink(m_journal->path(), m_teamState, this);
    connect(m_journal, &SessionJournal::sessionRecorded, m_team, &TeamJournalLink::pushSoon);
    connect(m_team, &TeamJournalLink::trouble, this, &Mainform::noteTeamJournal);
    connect(m_team, &TeamJournalLink::addressChanged, this, [this] {
        if (m_history)
            m_history->setTeamJournal(m_team->address());
    });
    const QString url =
        m_options.teamJournal.isEmpty()
            ? openProgramSettings(m_options.settingsFile)->value(QStringLiteral("teamJournal/url")).toString()
            : m_options.teamJournal;
    // Once the status bar is there to say what is wrong with the URL.
    QTimer::singleShot(0, m_team, [this, url] {
        QString error;
        if (!m_team->setUrl(url, &error))
            noteTeamJournal(tr("Team journal: address refused (View, Team journal...)"), error);
    });
}

// Asked without a modal loop: the window goes on while the box is open.
void Mainform::chooseTeamJournal() {
    finishStartUp();
    if (!m_team)
        return;
    auto* box = new TeamJournalDialog(*m_team, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QDialog::accepted, this, [this] {
        openProgramSettings(m_options.settingsFile)
            ->setValue(QStringLiteral("teamJournal/url"), m_team->url());
    });
    box->open();
}

SessionHistoryWindow* Mainform::showSessionHistory() {
    finishStartUp();
    if (!m_journal)
        return nullptr;
    if (!m_history) {
        m_history = new SessionHistoryWindow(m_journal->path(), *m_prompter, this);
        if (m_team)
            m_history->setTeamJournal(m_team->address());
        placeOver(m_history, this);
    } else
        m_history->reload();
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
    return m_history;
}

void Mainform::showAbout() {
    QMessageBox::about(this, tr("About Telvar X"),
                       tr("<p><b>Telvar X</b> %1</p><p>Build %2, Qt %3</p>"
                          "<p>Asks questions, edits words and sets up the Telvar X speech device.</p>")
                           .arg(QStringLiteral(TELVAR_VERSION), QStringLiteral(TELVAR_BUILD),
                                QString::fromLatin1(qVersion())));
}

void Mainform::buildStatusBar() {
    m_connection = new QLabel(statusBar());
    m_connection->setObjectName(QStringLiteral("connectionState"));
    m_failure = new QLabel(statusBar());
    m_failure->setObjectName(QStringLiteral("lastFailure"));
    m_failure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sessionTime = new QLabel(statusBar());
    m_sessionTime->setObjectName(QStringLiteral("sessionTime"));
    m_sessionTime->hide();
    statusBar()->addWidget(m_failure, 1);
    statusBar()->addPermanentWidget(m_sessionTime);
    statusBar()->addPermanentWidget(m_connection);

    connect(&m_link, &DeviceLink::plugged, this, &Mainform::showConnection);
    connect(&m_link, &DeviceLink::unplugged, this, &Mainform::showConnection);
    connect(&m_link, &DeviceLink::sequenceEnded, this, &Mainform::showConnection);
    connect(&m_link, &DeviceLink::sequenceBegun, this, [this] {
        // A job the user started is the next action: the failure before it is no longer news.
        if (m_link.jobRunning())
            clearFailure();
        showConnection();
    });
    connect(&m_link, &DeviceLink::failed, this, &Mainform::noteFailure);
    connect(m_session, &SessionController::problem, this, &Mainform::noteFailure);
    connect(&m_link, &DeviceLink::plugged, this, [this] { endNote(NoteLasts::UntilAttached); });
    const auto endNoteWhenIdle = [this] {
        if (!m_link.sequenceRunning() && !sessionRunning())
            endNote(NoteLasts::UntilIdle);
    };
    connect(&m_link, &DeviceLink::sequenceEnded, this, endNoteWhenIdle);
    connect(m_session, &SessionController::listeningChanged, this, endNoteWhenIdle);

    m_sessionClock = new QTimer(this);
    m_sessionClock->setInterval(250);
    connect(m_sessionClock, &QTimer::timeout, this, &Mainform::showSessionTime);
    connect(m_session, &SessionController::listeningChanged, this, [this](bool listening) {
        if (listening) {
            clearFailure();
            m_sessionClock->start();
        } else {
            m_sessionClock->stop();
        }
        showSessionTime();
    });
    showConnection();
}

void Mainform::showConnection() {
    if (m_link.jobRunning())
        m_connection->setText(tr("Telvar X busy: %1").arg(m_link.runningName()));
    else if (m_link.isAttached())
        m_connection->setText(tr("Telvar X connected"));
    else
        m_connection->setText(tr("Telvar X not connected"));
}

void Mainform::noteFailure(const QString& reason) {
    // A job the user cancelled did what was asked of it: it stopped.
    m_failure->setText(m_link.cancelRequested() ? tr("Stopped: %1").arg(reason)
                                                : tr("Failed: %1").arg(reason));
    m_failure->setToolTip(reason);
}

void Mainform::noteTeamJournal(const QString& text, const QString& details) {
    // Pushes run in the background: their trouble is no failure of what the user just did.
    m_failure->setText(text);
    m_failure->setToolTip(details);
    qCInfo(lcApp).noquote() << text << "-" << oneLine(details);
}

void Mainform::showDeviceInUse(const QString& message) {
    m_failure->setText(message);
    m_failure->setToolTip(message);
    showNote(message, NoteLasts::UntilAttached);
}

void Mainform::showNote(const QString& text, NoteLasts lasts) {
    // A note over a note still covers the status underneath both.
    if (m_note.isEmpty() || status() != m_note)
        m_covered = status();
    m_note = text;
    m_noteLasts = lasts;
    setStatus(text);
}

void Mainform::endNote(NoteLasts ended) {
    if (m_note.isEmpty() || m_noteLasts != ended)
        return;
    if (status() == m_note)
        setStatus(m_covered);
    m_note.clear();
}

void Mainform::setStartUpStatus(const QString& text) {
    if (!m_note.isEmpty() && status() == m_note)
        m_covered = text;
    else
        setStatus(text);
}

void Mainform::clearFailure() {
    m_failure->clear();
    m_failure->setToolTip({});
}

void Mainform::showSessionTime() {
    const int seconds = m_session->remainingSeconds();
    m_sessionTime->setVisible(m_session->isListening());
    m_sessionTime->setText(tr("Session: %n second(s) left", nullptr, seconds));
}

void Mainform::buildScreenKeys() {
    const auto add = [this](QKeySequence keys, int step) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, step] { stepScreen(step); });
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    add(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
    add(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

void Mainform::stepScreen(int step) {
    if (!m_tabStrip->isVisible())
        return;
    m_tabStrip->setCurrentIndex((m_tabStrip->currentIndex() + step + kScreenCount) % kScreenCount);
}

bool Mainform::sessionRunning() const {
    return m_session && m_session->isListening();
}

void Mainform::bringForward() {
    qCInfo(lcApp) << "another start asked for the window";
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void Mainform::buildFirstScreen() {
    buildPleaseWait();
    m_itc = new ItcScreen(*this);
    m_session = &m_itc->session();
    connect(this, &Mainform::builtinVocabularyLoaded, m_itc, [itc = m_itc] { itc->selectWord(0); });
    setScreenContent(Screen::Itc, m_itc);
}

void Mainform::buildOtherScreens() {
    auto* wordList = new WordListScreen(*this);
    // Say Word selects its word in the internal word list as well.
    connect(wordList, &WordListScreen::internalWordSelected, m_itc, &ItcScreen::selectWord);
    auto* modes = new ModesScreen(*this);
    auto* log = new LogScreen(*this);
    auto* help = new HelpScreen;
    setScreenContent(Screen::Modes, modes);
    setScreenContent(Screen::WordList, wordList);
    setScreenContent(Screen::Log, log);
    setScreenContent(Screen::Help, help);

    m_aboutText = new QPlainTextEdit(QStringLiteral("About Screen"));
    m_aboutText->setObjectName(QStringLiteral("Text1"));
    m_aboutText->setToolTip(QStringLiteral("About Screen"));
    m_aboutText->setReadOnly(true);
    m_aboutText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setScreenContent(Screen::About, m_aboutText);

    auto* setup = new SetupScreen;
    setScreenContent(Screen::Setup, setup);
    registerBusyControls(setup, screenFrame(Screen::Modes), m_itc);
    auto* settings = new SetupController(*this, setup, m_aboutText);
    connect(this, &Mainform::screenSelected, settings, [this, settings](Screen screen) {
        // First: a stopped auto-tune must let go of the device before the next screen reads it.
        if (screen != Screen::Setup)
            settings->setupLeft();
        if (screen == Screen::Setup)
            runScreenAction(*this, settings->readSettings());
        else if (screen == Screen::About)
            runScreenAction(*this, settings->showDeviceInformation());
    });

    // Tab goes through the screens before the docks, whenever the screens were built.
    QWidget* previous = m_itc;
    const std::array<QWidget*, kScreenCount - 1> later{wordList, modes, log, help, m_aboutText, setup};
    for (QWidget* screen : later) {
        placeInTabChainAfter(previous, screen);
        previous = screen;
    }
}

void Mainform::buildPleaseWait() {
    // It lies over the screen on top, 240 twips from its top: most long jobs run from the Word List screen,
    // and their progress and Cancel must be in sight there too.
    m_pleaseWait = new QFrame(m_screenArea);
    m_pleaseWait->setObjectName(QStringLiteral("pleaseWaitFrame"));
    auto* placement = new QVBoxLayout(m_pleaseWait);
    placement->setContentsMargins(0, kPleaseWaitTop, 0, 0);
    auto* box = new QFrame(m_pleaseWait);
    box->setFrameShape(QFrame::Box);
    box->setAutoFillBackground(true);
    placement->addWidget(box);

    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(boldLabel(QStringLiteral("Please Wait While the Command is finishing"), box));
    auto* progressRow = new QHBoxLayout;
    m_progress = new QProgressBar(box);
    m_progress->setObjectName(QStringLiteral("pleaseWaitProgress"));
    m_progress->setFormat(QStringLiteral("%v of %m"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), box);
    m_cancel->setObjectName(QStringLiteral("pleaseWaitCancel"));
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_link.cancel(); });
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_cancel);
    boxLayout->addLayout(progressRow);
    m_progress->hide();
    m_cancel->hide();
    m_pleaseWait->hide();

    static_cast<QGridLayout*>(m_screenArea->layout())
        ->addWidget(m_pleaseWait, 0, 0, Qt::AlignTop | Qt::AlignHCenter);
}

void Mainform::setScreenContent(Screen screen, QWidget* content) {
    static_cast<QGridLayout*>(screenFrame(screen)->layout())->addWidget(content, 0, 0);
}

void Mainform::bringToFront(QFrame* frame) {
    frame->show();
    frame->raise();
    m_pleaseWait->raise();
}

void Mainform::startUp() {
    m_link.hidattach();
    BuildMnemonicTable();
    // The ITC session's recent-index memory starts out empty with its screen, built with the window; the
    // vocabulary comes with the rest of the start-up.
    screenFrame(Screen::WordList)->hide();
    screenFrame(Screen::Setup)->hide();
    screenFrame(Screen::Itc)->show();
    screenFrame(Screen::Modes)->hide();
}

void Mainform::loadVocabulary() {
    const FolderLock lock(m_options.dataDir, FolderLock::kWindowWaitLimit);
    if (!lock.isLocked()) {
        // Neither read half-written files nor write over another program's edit: this run goes on
        // with the built-in words and leaves the files alone.
        VocabularyTables builtin = VocabularyLoader::builtinTables();
        m_vocabulary.assign(std::move(builtin.list1), std::move(builtin.list3), builtin.codes);
        setStartUpStatus(VocabularyLoad().caption());
        Q_EMIT builtinVocabularyLoaded();
        m_prompter->inform(
            QStringLiteral(
                "The word-list files were not read: %1.\nThe built-in words are used for this run.")
                .arg(lock.error()));
        return;
    }
    VocabularyLoad load = VocabularyLoader::load(m_options.dataDir);
    m_vocabulary.assign(std::move(load.tables.list1), std::move(load.tables.list3), load.tables.codes);
    setStartUpStatus(load.caption());
    if (!load.external)
        Q_EMIT builtinVocabularyLoaded();
    if (!load.fileProblem.isEmpty())
        qCInfo(lcApp) << "word-list files not used:" << load.fileProblem;
    for (const QString& copy : load.keptCopies)
        qCInfo(lcApp) << "kept the replaced file as" << copy;
    if (!load.writeErrors.isEmpty()) {
        // The run goes on with the built-in data, but the user should know the files were not renewed.
        m_prompter->inform(QStringLiteral("The word-list files could not be written:\n%1")
                               .arg(load.writeErrors.join(QLatin1Char('\n'))));
    }
}

void Mainform::registerBusyControls(QWidget* setup, QWidget* modes, QWidget* itc) {
    // What a running job would refuse: every setting and mode, and asking a question.
    auto* busy = new BusyControls(m_link, this);
    for (QWidget* screen : {setup, modes}) {
        for (auto* button : screen->findChildren<QAbstractButton*>())
            busy->add(button);
        for (auto* slider : screen->findChildren<QSlider*>())
            busy->add(slider);
    }
    if (auto* ask = itc->findChild<QPushButton*>(QStringLiteral("askButton")))
        busy->add(ask);
}

void Mainform::hidon() {
    // The device is back: a failure that said it was gone is stale now in the status bar. The title is
    // left as it is: it shows the last status until the next tab click, as after start-up.
    clearFailure();
    m_picture->hide();
    m_screenArea->show();
    bringToFront(screenFrame(Screen::Itc));
    m_tabStrip->show();
    m_connectPrompt->hide();
    // Typing goes into the question, not into whatever else happens to come first in the Tab chain.
    focusScreen(Screen::Itc);
}

void Mainform::deviceRemoved() {
    // Only the ITC screen is hidden; the others keep their flags until the next tab click.
    m_picture->show();
    screenFrame(Screen::Itc)->hide();
    m_screenArea->hide();
    m_tabStrip->hide();
    m_connectPrompt->show();
}

void Mainform::tabClick() {
    finishStartUp();
    // Hiding the screen that holds the focus would pass it on to whatever comes next in the Tab chain.
    const QWidget* focused = focusWidget();
    const bool focusOnScreen = focused && m_screenArea->isAncestorOf(focused);
    for (QFrame* frame : m_frames)
        frame->hide();
    // The tabs were added in screen order.
    const int index = m_tabStrip->currentIndex();
    if (index < 0 || index >= kScreenCount)
        return;
    bringToFront(m_frames[index]);
    if (focusOnScreen)
        focusScreen(static_cast<Screen>(index));
    clearFailure();
    setStatus(QString::fromLatin1(kScreens[index].title));
    Q_EMIT screenSelected(static_cast<Screen>(index));
}

void Mainform::focusScreen(Screen screen) {
    if (screen == Screen::Itc) {
        m_itc->focusQuestion();
        return;
    }
    // The first control Tab would reach on the screen.
    QFrame* frame = screenFrame(screen);
    for (QWidget* next = frame->nextInFocusChain(); next != frame; next = next->nextInFocusChain()) {
        if (frame->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(frame) &&
            next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void Mainform::openWordEditor() {
    finishStartUp();
    nameUncaptionedControls(frmPhrase::showEditor(this, m_options.dataDir, m_link, *m_prompter));
}

void Mainform::setStatus(const QString& text) {
    setWindowTitle(m_deviceName.isEmpty() ? text : text + kDeviceNameSeparator + m_deviceName);
}

QString Mainform::status() const {
    const QString title = windowTitle();
    return m_deviceName.isEmpty() ? title : title.chopped(kDeviceNameSeparator.size() + m_deviceName.size());
}

void Mainform::setDeviceName(const QString& serial) {
    const QString text = status();
    m_deviceName = serial;
    setStatus(text);
}

void Mainform::setPleaseWaitVisible(bool visible) {
    m_pleaseWait->setVisible(visible);
}

void Mainform::setPleaseWaitProgress(int done, int total) {
    const bool shown = total > 0;
    if (shown) {
        m_progress->setRange(0, total);
        m_progress->setValue(std::clamp(done, 0, total));
    }
    m_progress->setVisible(shown);
    m_cancel->setVisible(shown);
}

void Mainform::setTabStripVisible(bool visible) {
    // A job that ends after the device left must not bring the tab strip back over the connect prompt.
    m_tabStrip->setVisible(visible && m_link.isAttached());
}

void Mainform::showSetupFrame() {
    bringToFront(screenFrame(Screen::WordList));
}

void Mainform::closeEvent(QCloseEvent* event) {
    const frmPhrase* editor = frmPhrase::openEditor(this);
    // A listening session polls between jobs, but quitting cuts it short all the same.
    if (!m_quitting && (m_link.jobRunning() || sessionRunning() || (editor && editor->hasUnsavedEdits()))) {
        event->ignore();
        runScreenAction(*this, stopJobAndQuit());
        return;
    }
    m_placement->save();
    // A routine poll may stop at any step; nothing is owed to the device.
    m_link.cancel();
    m_link.hiddetach();
    QMainWindow::closeEvent(event);
}

QCoro::Task<> Mainform::stopJobAndQuit() {
    if (m_askingToQuit)
        co_return;
    m_askingToQuit = true;
    const QPointer<Mainform> self(this);
    // The editor's replacements are settled first: saved there and then, or let go.
    const QPointer<frmPhrase> editor = frmPhrase::openEditor(this);
    if (editor) {
        editor->raise();
        editor->activateWindow();
        const bool settled = co_await editor->settleEdits();
        if (!self)
            co_return;
        if (!settled) {
            m_askingToQuit = false;
            co_return;
        }
    }
    if (m_link.jobRunning() || sessionRunning()) {
        const bool stop =
            co_await m_prompter->askYesNo(m_link.jobRunning() ? kStopJobQuestion : kEndSessionQuestion);
        if (!self)
            co_return;
        if (!stop) {
            m_askingToQuit = false;
            co_return;
        }
    }
    m_askingToQuit = false;
    m_quitting = true;
    m_prompter->silence();
    if (editor)
        editor->dropEdits();
    if (sessionRunning())
        m_session->endNow(SessionEnd::ProgramClosed);
    if (m_link.jobRunning()) {
        // The job finishes the step it must finish (the data report after "W") before it lets go.
        m_link.cancel();
        co_await qCoro(&m_link, &DeviceLink::sequenceEnded, Timings::kStopLimit);
        if (!self)
            co_return;
    }
    // Answers given at once arrive while the window is still in the close that asked, which would
    // refuse a second one.
    QTimer::singleShot(0, this, &QWidget::close);
}

} // namespace telvar
