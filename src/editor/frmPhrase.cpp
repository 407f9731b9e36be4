// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/frmPhrase.h"

#include "device/BusyControls.h"
#include "device/CloseKeys.h"
#include "device/Prompter.h"
#include "device/ScreenAction.h"
#include "device/WindowPlacement.h"
#include "editor/Dictionary.h"
#include "editor/EditorFiles.h"
#include "editor/MnemonicConversion.h"
#include "editor/PhoneticCodes.h"
#include "editor/PhraseExpansion.h"
#include "editor/SendCodes.h"
#include "files/FolderLock.h"
#include "pronounce/Pronouncer.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace telvar {

namespace {

constexpr const char* kAllophoneProperty = "allophone";
constexpr const char* kHint = "  Right Click to hear Left Click to Use";
constexpr const char* kUnsavedQuestion =
    "Words were replaced and not saved. Save them before the word editor closes?";

struct Allophone {
    const char* caption;
    const char* examples;
};

struct AllophoneFrame {
    const char* title;
    int columns;
    bool withHint;
    std::initializer_list<Allophone> allophones;
};

// The frames in three rows. Widths and heights are the window's twips, used as stretch factors so the
// proportions hold at any size and DPI; a place without a frame is the gap in the middle row.
struct FramePlace {
    int row;
    int width;
    const AllophoneFrame* frame;
};

const AllophoneFrame kRs{"R's",
                         2,
                         true,
                         {{"OWRR", "Corn, Four, Your"},
                          {"AWRR", "Part, Farm, Yarn"},
                          {"AXRR", "Fir, Bird, Burn"},
                          {"EYRR", "Hair, Stair, Repair"},
                          {"IYRR", "Clear, Hear, Year"},
                          {"RR", "Ray, Brain, Over."}}};
const AllophoneFrame kDiphthongs{"Diphthongs",
                                 4,
                                 true,
                                 {{"EYIY", "Gate, Ate, Ray"},
                                  {"OHIY", "Mice, Fight, White"},
                                  {"OWIY", "Boy, Toy, Voice"},
                                  {"EHLE", "Saddle, Angle, Spell"},
                                  {"OHIH", "Sky, Five, I"},
                                  {"IYUW", "Cute, Few, Computer"},
                                  {"IHWW", "Two, New, Zoo"},
                                  {"AXUW", "Brown, Clown, Thousand"},
                                  {"AYWW", "Our, Ouch, Owl"},
                                  {"OWWW", "Go, Hello, Snow"},
                                  {"IYEH", "Yes, Yarn, Million"}}};
const AllophoneFrame kResonateNasal{"Resonate && Nasal",
                                    3,
                                    true,
                                    {{"MM", "Milk, Famous, Broom"},
                                     {"NE", "Nip, Danger, Thin"},
                                     {"NO", "No, Snow, On"},
                                     {"NGE", "Think, Ping"},
                                     {"NGO", "Hung, Song"},
                                     {"LE", "Lake, Alarm, Lapel"},
                                     {"LO", "Clock, Plus, Hello"},
                                     {"WW", "Wool, Sweat"}}};
const AllophoneFrame kVoicedFricatives{"Voiced Fricatives",
                                       3,
                                       true,
                                       {{"JH", "Dodge, Jet, Savage"},
                                        {"VV", "Vest, Even, Twelve"},
                                        {"ZZ", "Zoo, Zap"},
                                        {"ZH", "Azure, Treasure"},
                                        {"DH", "There, That, This"}}};
const AllophoneFrame kVoicelessFricatives{"Voiceless Fricatives",
                                          3,
                                          false,
                                          {{"CH", "Church, Feature, March"},
                                           {"HE", "Help, Hand, Hair"},
                                           {"HO", "Hoe, Hot, Hug"},
                                           {"WH", "who, whale, White"},
                                           {"FF", "Food, Effort, Off"},
                                           {"SE", "See, Vest, Plus"},
                                           {"SO", "So, Sweat"},
                                           {"SH", "Ship, Fiction, Leash"},
                                           {"TH", "Thin, month"}}};
const AllophoneFrame kVoicedStops{"Voiced Stops",
                                  3,
                                  false,
                                  {{"BE", "Bear, Bird, Beed"},
                                   {"BO", "Bone, Book Brown"},
                                   {"EB", "Cab, Crib, Web"},
                                   {"OB", "Bob, Sub, Tub"},
                                   {"DE", "Deep, Date, Divide"},
                                   {"DO", "Do, Dust, Dog"},
                                   {"ED", "Could, Bird"},
                                   {"OD", "Bud, Food"},
                                   {"GE", "Get, Gate, Guest,"},
                                   {"GO", "Got, Glue, Goo"},
                                   {"EG", "Peg, Wig"},
                                   {"OG", "Dog, Hog"}}};
const AllophoneFrame kVoicelessStops{"Voiceless Stops",
                                     3,
                                     true,
                                     {{"TT", "Part, Little, Sit"},
                                      {"TU", "To, Talk, Ten"},
                                      {"TS", "Parts, Costs, Robots"},
                                      {"KE", "Can't, Clown, Key"},
                                      {"KO", "Comb, Quick, Fox"},
                                      {"EK", "Speak, Task"},
                                      {"OK", "Book, Took, October"},
                                      {"PE", "People, Computer"},
                                      {"PO", "Pow, Copy"}}};
const AllophoneFrame kVowels{"Vowels",
                             3,
                             true,
                             {{"AY", "Hat, Fast, Fan"},
                              {"EH", "Met, Check, Red"},
                              {"EY", "Hair, Gate, Beige"},
                              {"IH", "Sit, Fix, Pin"},
                              {"UX", "Blue, Food"},
                              {"IY", "See, Even, Feed"},
                              {"AX", "Luck, Jump, Plus"},
                              {"AW", "Father, Fall"},
                              {"OH", "Hot, Clock, Fox"},
                              {"OW", "Comb, Over, Hold"},
                              {"UH", "Book, Could, Should"},
                              {"UW", "Food, June"}}};

const FramePlace kFramePlaces[] = {
    {0, 1755, &kRs},
    {0, 3225, &kDiphthongs},
    {0, 2175, &kResonateNasal},
    {1, 2175, &kVoicedFricatives},
    {1, 2745, nullptr},
    {1, 2685, &kVoicelessFricatives},
    {2, 2175, &kVoicedStops},
    {2, 2295, &kVoicelessStops},
    {2, 2175, &kVowels},
};
constexpr int kRowHeights[] = {1125, 1425, 1665};
constexpr int kSayDataHeight = 1485;
constexpr int kListWidth = 1935;
constexpr int kFramesWidth = 7605;
constexpr int kTwipsPerPixel = 15; // at 96 dots per inch
constexpr int kClientWidth = 9930;
constexpr int kClientHeight = 6645;

QPushButton* makeButton(const QString& objectName, const QString& caption, const QString& toolTip,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setToolTip(toolTip);
    return button;
}

} // namespace

frmPhrase::frmPhrase(QString dataFolder, DeviceLink& link, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dataFolder(std::move(dataFolder)), m_link(link), m_prompter(prompter) {
    setObjectName(QStringLiteral("frmPhrase"));
    setWindowTitle(QString::fromLatin1(kCaption));

    m_wordList = new QListWidget(this);
    m_wordList->setObjectName(QStringLiteral("wordList"));
    m_wordList->setToolTip(
        QStringLiteral("Click on a word to hear it spoken and move it to the Say Data Bar"));

    // The line is always there, so a message coming or going moves nothing; a long one is shortened to
    // fit and shown whole in its tool tip.
    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("statusLine"));
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_statusLine->setFixedHeight(m_statusLine->fontMetrics().lineSpacing() + 2);
    m_statusLine->installEventFilter(this);

    auto* right = new QVBoxLayout;
    right->addWidget(buildAllophoneFrames(), kRowHeights[0] + kRowHeights[1] + kRowHeights[2]);
    right->addWidget(buildSayData(), kSayDataHeight);

    auto* body = new QHBoxLayout;
    body->addWidget(m_wordList, kListWidth);
    body->addLayout(right, kFramesWidth);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(m_statusLine);

    // The selection, not the current row, chooses: tabbing into the list makes its first word current
    // without selecting it, and must not overwrite what the user typed into the Say Data bar.
    connect(m_wordList, &QListWidget::itemSelectionChanged, this, [this] { chooseWord(chosenRow()); });
    connect(m_wordList, &QListWidget::activated, this, [this](const QModelIndex& index) {
        if (m_wordList->item(index.row())->isSelected())
            chooseWord(index.row());
        else
            m_wordList->setCurrentRow(index.row());
    });
    // A phrase cannot be spoken while another job holds the device; the button says which.
    (new BusyControls(m_link, this))->add(m_sayButton);
    const QSize formSize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
    resize(sizeHint().expandedTo(formSize * (logicalDpiX() / 96.0)));
    addCloseKeys(this);
    load();
}

frmPhrase* frmPhrase::openEditor(QWidget* owner) {
    // A closed editor is on its way out (it deletes itself on close) and no longer shown.
    frmPhrase* editor = nullptr;
    for (frmPhrase* child :
         owner->window()->findChildren<frmPhrase*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible())
            editor = child;
    }
    return editor;
}

frmPhrase* frmPhrase::showEditor(QWidget* owner, const QString& dataFolder, DeviceLink& link,
                                 Prompter& prompter) {
    QWidget* host = owner->window();
    frmPhrase* editor = openEditor(host);
    if (!editor) {
        editor = new frmPhrase(dataFolder, link, prompter, host);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        placeOver(editor, host);
    }
    editor->show();
    editor->raise();
    editor->activateWindow();
    return editor;
}

QWidget* frmPhrase::buildAllophoneFrames() {
    auto* frames = new QWidget(this);
    // Keyboard focus on a label shows as a frame of the highlight colour.
    frames->setStyleSheet(QStringLiteral("QLabel:focus { border: 2px solid palette(highlight); }"));
    auto* rows = new QVBoxLayout(frames);
    rows->setContentsMargins(0, 0, 0, 0);
    QHBoxLayout* rowLayouts[3];
    for (int row = 0; row < 3; ++row) {
        rowLayouts[row] = new QHBoxLayout;
        rows->addLayout(rowLayouts[row], kRowHeights[row]);
    }
    for (const FramePlace& place : kFramePlaces) {
        if (!place.frame) {
            rowLayouts[place.row]->addStretch(place.width);
            continue;
        }
        auto* box = new QGroupBox(QString::fromLatin1(place.frame->title), frames);
        auto* grid = new QGridLayout(box);
        grid->setSpacing(2);
        int i = 0;
        for (const Allophone& allophone : place.frame->allophones) {
            QString toolTip = QString::fromLatin1(allophone.examples);
            if (place.frame->withHint)
                toolTip += QLatin1String(kHint);
            grid->addWidget(addAllophoneLabel(QString::fromLatin1(allophone.caption), toolTip, box),
                            i / place.frame->columns, i % place.frame->columns);
            ++i;
        }
        grid->setRowStretch(grid->rowCount(), 1);
        rowLayouts[place.row]->addWidget(box, place.width);
    }
    return frames;
}

QLabel* frmPhrase::addAllophoneLabel(const QString& caption, const QString& toolTip, QWidget* frame) {
    auto* label = new QLabel(caption, frame);
    label->setObjectName(QStringLiteral("allophone") + caption);
    label->setProperty(kAllophoneProperty, caption);
    label->setToolTip(toolTip);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setCursor(Qt::PointingHandCursor);
    // Reached by Tab in the frames' order; a click does not take the focus from the Say Data bar.
    label->setFocusPolicy(Qt::TabFocus);
    // Wider windows widen the labels; taller ones leave the rows as they are.
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    label->installEventFilter(this);
    return label;
}

QWidget* frmPhrase::buildSayData() {
    auto* frame = new QGroupBox(QStringLiteral("Say Data"), this);
    frame->setObjectName(QStringLiteral("sayDataFrame"));
    auto* grid = new QGridLayout(frame);

    m_sayData = new QLineEdit(frame);
    m_sayData->setObjectName(QStringLiteral("txtSayData"));
    m_sayData->setToolTip(QStringLiteral("Phonetics as Modified"));
    m_wordBox = new QLineEdit(frame);
    m_wordBox->setObjectName(QStringLiteral("wordBox"));
    m_storedPhonetics = new QLineEdit(frame);
    m_storedPhonetics->setObjectName(QStringLiteral("storedPhoneticsBox"));
    m_storedPhonetics->setToolTip(QStringLiteral("Current Word Un Modified Phonetics"));
    grid->addWidget(m_sayData, 0, 0);
    grid->addWidget(m_wordBox, 1, 0);
    grid->addWidget(m_storedPhonetics, 2, 0);

    m_sayButton = makeButton(
        QStringLiteral("bntSayIt"), QStringLiteral("Say "),
        QStringLiteral("Send the sound codes in the Say Data window to the Telvar X as Modified."), frame);
    m_currentButton = makeButton(
        QStringLiteral("currentButton"), QStringLiteral("Current"),
        QStringLiteral("Send the sound codes in the Say Data window to the Telvar X  un changed."), frame);
    m_replaceButton = makeButton(
        QStringLiteral("replaceButton"), QStringLiteral("Replace"),
        QStringLiteral("Replaces the word Spelling and Phonetics in the current editor list"), frame);
    m_replaceButton->setEnabled(false);
    m_saveButton = makeButton(QStringLiteral("saveEditsButton"), QStringLiteral("Save Edits"),
                              QStringLiteral("Save any word changes made"), frame);
    m_transferButton =
        makeButton(QStringLiteral("transferEditsButton"), QStringLiteral("Transfer Edits"),
                   QStringLiteral("Replace the Main Program Word List with the Current Editor List"), frame);
    grid->addWidget(m_sayButton, 0, 1);
    grid->addWidget(m_currentButton, 1, 1);
    grid->addWidget(m_replaceButton, 2, 1);
    grid->addWidget(m_saveButton, 0, 2);
    grid->addWidget(m_transferButton, 1, 2);
    m_pronouncingSources = pronounce::PronouncingSources::fromEnvironment();
    const bool canSuggest = m_pronouncingSources.hasDictionary() || m_pronouncingSources.hasFallback();
    m_suggestButton = makeButton(
        QStringLiteral("suggestButton"), QStringLiteral("Suggest"),
        canSuggest ? QStringLiteral("Put a suggested pronunciation of the word into the Say Data bar")
                   : QStringLiteral("Suggestions need the pronouncing dictionary or espeak-ng: %1")
                         .arg(m_pronouncingSources.missingHint()),
        frame);
    m_suggestButton->setEnabled(canSuggest);
    grid->addWidget(m_suggestButton, 2, 2);
    grid->setColumnStretch(0, 2775);
    grid->setColumnStretch(1, 1575);
    grid->setColumnStretch(2, 1575);

    connect(m_sayButton, &QPushButton::clicked, this, [this] { start(sayIt()); });
    connect(m_currentButton, &QPushButton::clicked, this, [this] { start(say(m_storedPhonetics->text())); });
    connect(m_replaceButton, &QPushButton::clicked, this, &frmPhrase::replace);
    connect(m_saveButton, &QPushButton::clicked, this, &frmPhrase::saveEdits);
    connect(m_transferButton, &QPushButton::clicked, this, &frmPhrase::transferEdits);
    connect(m_suggestButton, &QPushButton::clicked, this, &frmPhrase::suggest);
    return frame;
}

void frmPhrase::load() {
    // Waits out another program's save so the pair is not read half replaced. A holder that is stuck
    // does not keep the words from being read: an empty list saved later would wipe them.
    const FolderLock lock(m_dataFolder, FolderLock::kWindowWaitLimit);
    EditorLoad loaded = EditorFiles(m_dataFolder).load();
    m_list = std::move(loaded.list);
    m_unreadable = std::move(loaded.unreadable);
    fillWordList();
    setStatus(loaded.problems.join(QLatin1Char('\n')));
}

void frmPhrase::fillWordList() {
    const QSignalBlocker blocker(m_wordList);
    m_wordList->clear();
    m_wordList->addItems(m_list.words());
    m_replaceButton->setEnabled(false);
}

int frmPhrase::chosenRow() const {
    const QList<QListWidgetItem*> selected = m_wordList->selectedItems();
    return selected.isEmpty() ? -1 : m_wordList->row(selected.first());
}

void frmPhrase::chooseWord(int row) {
    m_replaceButton->setEnabled(row >= 0);
    if (row < 0 || row >= m_list.size())
        return;
    setStatus({});
    m_wordBox->setText(m_list.words().at(row));
    m_storedPhonetics->setText(m_list.shownMnemonics(row));
    m_sayData->setText(m_storedPhonetics->text());
}

// A dictionary that is there but cannot be read leaves the words as typed; *dictionaryProblem says why,
// for the status line once the action is done.
QString frmPhrase::expand(const QString& text, QString* dictionaryProblem) const {
    QString error;
    const Dictionary dictionary = Dictionary::read(Dictionary::pathIn(m_dataFolder), &error);
    if (!error.isEmpty())
        *dictionaryProblem = QStringLiteral("The dictionary was not used: %1").arg(error);
    return ExpandPhrase(text, dictionary);
}

// The job lives in this coroutine's frame, not in the window: a window closed while a phrase is being
// sent goes at once, and the phrase ends without touching it.
QCoro::Task<> frmPhrase::say(QString text) {
    QString dictionaryProblem;
    const QByteArray codes = SayThisAllophoneList(expand(text, &dictionaryProblem));
    Q_EMIT speechRequested(codes);
    const QPointer self(this);
    SendCodes job(m_link);
    connect(&job, &DeviceSequence::begun, this, [this] { setStatus({}); });
    connect(&job, &DeviceSequence::statusChanged, this, &frmPhrase::setStatus);
    const SequenceOutcome outcome = co_await job.run(codes);
    if (self && outcome.completed() && !dictionaryProblem.isEmpty())
        setStatus(dictionaryProblem);
}

void frmPhrase::start(QCoro::Task<> action) {
    runReported(std::move(action), [self = QPointer(this)](const QString& text) {
        if (!self)
            return;
        self->setSending(false);
        self->setStatus(QStringLiteral("The command stopped on an unexpected error: %1").arg(text));
    });
}

QCoro::Task<> frmPhrase::sayIt() {
    const QPointer self(this);
    setSending(true);
    co_await say(m_sayData->text());
    if (self)
        setSending(false);
}

void frmPhrase::setSending(bool sending) {
    m_sayButton->setEnabled(!sending);
    if (sending) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
        m_sayData->setFocus();
    }
}

void frmPhrase::replace() {
    const int row = chosenRow();
    if (row < 0)
        return;
    QString dictionaryProblem;
    const QString problem =
        m_list.replace(row, m_wordBox->text(), ripList(expand(m_sayData->text(), &dictionaryProblem)));
    if (!problem.isEmpty()) {
        setStatus(QStringLiteral("Not replaced: %1.").arg(problem));
        return;
    }
    const QSignalBlocker blocker(m_wordList);
    m_wordList->item(row)->setText(m_list.words().at(row));
    m_unsaved = true;
    m_wordList->setCurrentRow(-1);
    m_wordList->clearSelection();
    m_replaceButton->setEnabled(false);
    setStatus(dictionaryProblem);
}

void frmPhrase::saveEdits() {
    const FolderLock lock(m_dataFolder, FolderLock::kWindowWaitLimit);
    QString error = lock.isLocked() ? m_unreadable : lock.error();
    if (!error.isEmpty() || !EditorFiles(m_dataFolder).saveEdits(m_list, &error)) {
        setStatus(QStringLiteral("The edits were not saved, the files are as they were: %1").arg(error));
        return;
    }
    m_unsaved = false;
    // Saving ends on the last word, shown as a click shows it, even when it was already selected.
    const int last = m_wordList->count() - 1;
    {
        const QSignalBlocker blocker(m_wordList);
        m_wordList->setCurrentRow(last);
    }
    chooseWord(last);
    setStatus(QStringLiteral("Edits saved"));
}

void frmPhrase::transferEdits() {
    const FolderLock lock(m_dataFolder, FolderLock::kWindowWaitLimit);
    QString error = lock.error();
    if (!lock.isLocked() || !EditorFiles(m_dataFolder).transferEdits(&error)) {
        setStatus(
            QStringLiteral("The edits were not transferred, the main word list is as it was: %1").arg(error));
        return;
    }
    setStatus(
        QStringLiteral("Saved edits transferred to the main word list; the program uses them from its next "
                       "start"));
}

void frmPhrase::suggest() {
    const QString word = m_wordBox->text().trimmed();
    if (word.isEmpty()) {
        setStatus(QStringLiteral("Type a word into the word box to get a suggestion"));
        return;
    }
    m_suggestButton->setEnabled(false);
    setStatus(QStringLiteral("Looking up %1").arg(word));
    const QPointer self(this);
    // The worker only touches its own copies; the answer comes back to the GUI thread through the
    // application object, which outlives the window.
    QThreadPool::globalInstance()->start(
        [self, word, pronouncer = m_pronouncer, sources = m_pronouncingSources]() mutable {
            if (!pronouncer)
                pronouncer = std::make_shared<const pronounce::Pronouncer>(sources);
            const std::optional<QList<int>> codes = pronouncer->codes(word);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, word, pronouncer, codes] {
                    if (!self)
                        return;
                    self->m_pronouncer = pronouncer;
                    self->showSuggestion(word, codes);
                },
                Qt::QueuedConnection);
        });
}

void frmPhrase::showSuggestion(const QString& word, const std::optional<QList<int>>& codes) {
    m_suggestButton->setEnabled(true);
    if (!codes) {
        setStatus(QStringLiteral("No suggestion: neither the pronouncing dictionary nor espeak-ng knows %1")
                      .arg(word));
        return;
    }
    QByteArray codeString;
    for (int code : *codes)
        codeString.append(static_cast<char>(code));
    m_sayData->setText(CodesToSpacedMnemonics(codeString));
    setStatus({});
}

void frmPhrase::setStatus(const QString& text) {
    m_status = text;
    showStatus();
}

QString frmPhrase::status() const {
    return m_status;
}

void frmPhrase::showStatus() {
    const QString shown =
        m_statusLine->fontMetrics().elidedText(m_status, Qt::ElideRight, m_statusLine->width());
    m_statusLine->setText(shown);
    m_statusLine->setToolTip(shown == m_status ? QString() : m_status);
}

bool frmPhrase::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        m_sayData->setFocus();
    return QWidget::event(event);
}

void frmPhrase::closeEvent(QCloseEvent* event) {
    if (m_unsaved) {
        event->ignore();
        start(closeWhenSettled());
        return;
    }
    QWidget::closeEvent(event);
}

QCoro::Task<> frmPhrase::closeWhenSettled() {
    const QPointer self(this);
    const bool settled = co_await settleEdits();
    if (!self || !settled)
        co_return;
    dropEdits();
    // An answer given at once arrives while the window is still in the close that asked, which would
    // refuse a second one.
    QTimer::singleShot(0, this, &QWidget::close);
}

QCoro::Task<bool> frmPhrase::settleEdits() {
    if (!m_unsaved)
        co_return true;
    // Esc pressed again, or Quit, while the question is open asks nothing more.
    if (m_asking)
        co_return false;
    m_asking = true;
    const QPointer self(this);
    const Prompter::SaveAnswer answer =
        co_await m_prompter.askSaveDiscardCancel(QString::fromLatin1(kUnsavedQuestion));
    if (!self)
        co_return true; // gone with its owner: there is nothing left to keep
    m_asking = false;
    switch (answer) {
    case Prompter::SaveAnswer::Save:
        saveEdits();
        co_return !m_unsaved;
    case Prompter::SaveAnswer::Discard:
        co_return true;
    case Prompter::SaveAnswer::Cancel:
        break;
    }
    co_return false;
}

bool frmPhrase::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_statusLine && event->type() == QEvent::Resize)
        showStatus();
    const QVariant allophone = watched->property(kAllophoneProperty);
    if (!allophone.isValid())
        return QWidget::eventFilter(watched, event);
    const QString mnemonic = QLatin1Char('\\') + allophone.toString();
    switch (allophoneUse(event)) {
    case AllophoneUse::None:
        return QWidget::eventFilter(watched, event);
    case AllophoneUse::Hear:
        say(mnemonic);
        return true;
    case AllophoneUse::Append:
        m_sayData->setText(m_sayData->text() + mnemonic);
        return true;
    case AllophoneUse::Swallow:
        return true;
    }
    return true;
}

// Keys do what the mouse does: Space or Enter as the left button, the menu key or Shift+F10 as the right.
frmPhrase::AllophoneUse frmPhrase::allophoneUse(const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton ? AllophoneUse::Hear
                                                                                   : AllophoneUse::Append;
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers == Qt::NoModifier &&
            (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))
            return AllophoneUse::Append;
        if ((modifiers == Qt::NoModifier && key->key() == Qt::Key_Menu) ||
            (modifiers == Qt::ShiftModifier && key->key() == Qt::Key_F10))
            return AllophoneUse::Hear;
        return AllophoneUse::None;
    }
    case QEvent::ContextMenu:
        // The window system follows the menu key with this; the key has been heard already.
        return static_cast<const QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard
                   ? AllophoneUse::Swallow
                   : AllophoneUse::None;
    default:
        return AllophoneUse::None;
    }
}

} // namespace telvar
