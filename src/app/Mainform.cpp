#include "app/Mainform.h"

#include "app/DevicePicture.h"
#include "app/HelpScreen.h"
#include "app/MessageBoxPrompter.h"
#include "device/ScreenAction.h"
#include "device/Timings.h"
#include "editor/MnemonicTable.h"
#include "editor/frmPhrase.h"
#include "session/ItcScreen.h"
#include "session/LogScreen.h"
#include "settings/ModesScreen.h"
#include "settings/SetupController.h"
#include "settings/SetupScreen.h"
#include "vocab/VocabularyLoader.h"
#include "vocab/WordListScreen.h"

#include <QCloseEvent>
#include <QCoro/QCoroSignal>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

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
const QString kStopJobQuestion =
    QStringLiteral("A command is still running on the Telvar X. Stop it and quit?");
// 240 twips below the top of the screen it lies over.
constexpr int kPleaseWaitTop = 16;

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
    setWindowTitle(kInitialTitle);
    setWindowIcon(DevicePicture::icon());
    buildWindow();
    connect(&m_link, &DeviceLink::plugged, this, &Mainform::hidon);
    connect(&m_link, &DeviceLink::unplugged, this, &Mainform::deviceRemoved);
    startUp();
}

Mainform::~Mainform() {
    m_link.cancel();
    m_link.hiddetach();
    // The screens go first, while the link and the vocabulary they refer to still exist.
    delete takeCentralWidget();
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
    column->addWidget(stage, 1);

    setCentralWidget(central);
    buildScreens();
    resize(QSize(920, 640).expandedTo(sizeHint()));
}

void Mainform::buildScreens() {
    buildPleaseWait();
    auto* itc = new ItcScreen(*this);
    auto* wordList = new WordListScreen(*this);
    // Say Word selects its word in the internal word list as well.
    connect(wordList, &WordListScreen::internalWordSelected, itc, &ItcScreen::selectWord);
    connect(this, &Mainform::builtinVocabularyLoaded, itc, [itc] { itc->selectWord(0); });
    setScreenContent(Screen::Itc, itc);
    setScreenContent(Screen::Modes, new ModesScreen(*this));
    setScreenContent(Screen::WordList, wordList);
    setScreenContent(Screen::Log, new LogScreen(*this));
    setScreenContent(Screen::Help, new HelpScreen(*this, m_options.helpFolder));

    m_aboutText = new QPlainTextEdit(QStringLiteral("About Screen"));
    m_aboutText->setObjectName(QStringLiteral("Text1"));
    m_aboutText->setReadOnly(true);
    m_aboutText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setScreenContent(Screen::About, m_aboutText);

    auto* setup = new SetupScreen;
    setScreenContent(Screen::Setup, setup);
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
    // The ITC session's recent-index memory starts out empty with its screen, built with the window.
    loadVocabulary();
    screenFrame(Screen::WordList)->hide();
    screenFrame(Screen::Setup)->hide();
    screenFrame(Screen::Itc)->show();
    screenFrame(Screen::Modes)->hide();
}

void Mainform::loadVocabulary() {
    VocabularyLoad load = VocabularyLoader::load(m_options.dataDir);
    m_vocabulary.assign(std::move(load.tables.list1), std::move(load.tables.list3), load.tables.codes);
    setStatus(load.caption());
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

void Mainform::hidon() {
    m_picture->hide();
    m_screenArea->show();
    bringToFront(screenFrame(Screen::Itc));
    m_tabStrip->show();
    m_connectPrompt->hide();
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
    for (QFrame* frame : m_frames)
        frame->hide();
    // The tabs were added in screen order.
    const int index = m_tabStrip->currentIndex();
    if (index < 0 || index >= kScreenCount)
        return;
    bringToFront(m_frames[index]);
    setStatus(QString::fromLatin1(kScreens[index].title));
    Q_EMIT screenSelected(static_cast<Screen>(index));
}

void Mainform::openWordEditor() {
    frmPhrase::showEditor(this, m_options.dataDir, m_link);
}

void Mainform::setStatus(const QString& text) {
    setWindowTitle(text);
}

QString Mainform::status() const {
    return windowTitle();
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
    if (m_link.jobRunning() && !m_quitting) {
        event->ignore();
        runScreenAction(*this, stopJobAndQuit());
        return;
    }
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
    const bool stop = co_await m_prompter->askYesNo(kStopJobQuestion);
    if (!self)
        co_return;
    m_askingToQuit = false;
    if (!stop)
        co_return;
    m_quitting = true;
    m_prompter->silence();
    if (m_link.jobRunning()) {
        // The job finishes the step it must finish (the data report after "W") before it lets go.
        m_link.cancel();
        co_await qCoro(&m_link, &DeviceLink::sequenceEnded, Timings::kStopLimit);
        if (!self)
            co_return;
    }
    close();
}

} // namespace telvar
