// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/WordListScreen.h"

#include "device/BusyControls.h"
#include "device/DeviceLink.h"
#include "device/Prompter.h"
#include "device/ScreenAction.h"
#include "device/ScreenHost.h"
#include "files/FolderLock.h"
#include "vocab/NumberText.h"
#include "vocab/SayWord.h"
#include "vocab/UnitTransfer.h"
#include "vocab/VocabularyLoader.h"
#include "vocab/WordListFiles.h"
#include "vocab/WordListUpload.h"
#include "vocab/WordMemoryClearer.h"
#include "vocab/WordMemoryReader.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

namespace telvar {

namespace {
constexpr int kInitialWord = 200;

// The word slider is a scroll bar, which styles draw the same with or without the keyboard focus; as a
// control of its own it shows the focus as the other boxes here do.
class WordSlider : public QScrollBar {
public:
    explicit WordSlider(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QScrollBar::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};
} // namespace

WordListScreen::WordListScreen(ScreenHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildButtons());

    m_resultBox = new QPlainTextEdit(QStringLiteral("Text27"), this);
    m_resultBox->setObjectName(QStringLiteral("Text27"));
    m_resultBox->setReadOnly(true);
    m_resultBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_resultBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_resultBox->setAccessibleName(tr("Word memory results"));
    m_resultBox->hide();
    layout->addWidget(m_resultBox, 1);

    layout->addWidget(buildWordBrowser(), 1);
    fillWordBrowser();
    connect(&host.vocabulary(), &Vocabulary::list3Changed, this, &WordListScreen::fillWordBrowser);

    QWidget* previous = nullptr;
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_readSpokenButton, m_readAllButton, m_clearCountButton, m_clearMemoryButton, m_sendToUnitButton,
             m_uploadButton, m_editorButton, m_transferEditsButton, m_resultBox, m_wordBrowser, m_wordSlider,
             m_wordNumber, m_sayWordButton, m_sendToUnitBox}) {
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }

    // Everything here that would start a device job is refused while one runs; opening the editor is not.
    m_busy = new BusyControls(host.link(), this);
    m_busy->add(m_readSpokenButton, m_readAllButton, m_clearCountButton, m_clearMemoryButton,
                m_sendToUnitButton, m_uploadButton, m_transferEditsButton, m_sayWordButton, m_wordBrowser);

    m_cancelShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_cancelShortcut->setContext(Qt::WindowShortcut);
    m_cancelShortcut->setEnabled(false);
    connect(m_cancelShortcut, &QShortcut::activated, this, [this] { m_host.link().cancel(); });
}

QPushButton* WordListScreen::addButton(const QString& objectName, const QString& caption,
                                       const QString& toolTip) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setToolTip(toolTip);
    return button;
}

QWidget* WordListScreen::buildButtons() {
    m_readSpokenButton =
        addButton(QStringLiteral("readWordsSpokenButton"), QStringLiteral("Read Words Spoken"),
                  QStringLiteral("Recovers the words spoken  from the Telvar X Current"));
    m_readAllButton =
        addButton(QStringLiteral("readAllWordsButton"), QStringLiteral("Read all words in Memory"),
                  QStringLiteral("Read All Stored Words In Memory"));
    m_clearCountButton = addButton(QStringLiteral("clearLastWordButton"), QStringLiteral("Clear last word"),
                                   QStringLiteral("Clear the Telvar Word Count"));
    m_clearMemoryButton =
        addButton(QStringLiteral("clearStoredMemoryButton"), QStringLiteral("Clear Stored memory"),
                  QStringLiteral("Clear all stored word Memory"));
    m_sendToUnitButton =
        addButton(QStringLiteral("sendToUnitButton"), QStringLiteral("Send Word List To RLD "),
                  QStringLiteral("Send Word List to RLD or MVR"));
    m_uploadButton = addButton(QStringLiteral("reloadWordListButton"), QStringLiteral("Re-Load Word List"),
                               QStringLiteral("Reload system words to QN"));
    m_editorButton = addButton(QStringLiteral("wordEditorButton"), QStringLiteral("Word Editor"),
                               QStringLiteral("Open The Phonetic Word Editor"));
    m_transferEditsButton = addButton(QStringLiteral("transferEditsButton"), QStringLiteral("Transfer Edits"),
                                      QStringLiteral("Replace Word Files with Edited Files"));

    connect(m_readSpokenButton, &QPushButton::clicked, this,
            [this] { runScreenAction(m_host, readMemory(&WordMemoryReader::readWordsSpoken)); });
    connect(m_readAllButton, &QPushButton::clicked, this,
            [this] { runScreenAction(m_host, readMemory(&WordMemoryReader::readAllWords)); });
    connect(m_clearCountButton, &QPushButton::clicked, this,
            [this] { runScreenAction(m_host, clearMemory(&WordMemoryClearer::clearLastWord)); });
    connect(m_clearMemoryButton, &QPushButton::clicked, this,
            [this] { runScreenAction(m_host, clearMemory(&WordMemoryClearer::clearStoredMemory)); });
    connect(m_sendToUnitButton, &QPushButton::clicked, this,
            [this] { runScreenAction(m_host, sendToUnit()); });
    connect(m_uploadButton, &QPushButton::clicked, this, [this] { runScreenAction(m_host, upload()); });
    connect(m_transferEditsButton, &QPushButton::clicked, this,
            [this] { runScreenAction(m_host, transferEdits()); });
    connect(m_editorButton, &QPushButton::clicked, this, [this] { m_host.openWordEditor(); });

    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QPushButton* button :
         {m_readSpokenButton, m_readAllButton, m_clearCountButton, m_clearMemoryButton}) {
        button->setParent(column);
        layout->addWidget(button);
    }
    layout->addSpacing(12);
    for (QPushButton* button : {m_sendToUnitButton, m_uploadButton}) {
        button->setParent(column);
        layout->addWidget(button);
    }
    layout->addSpacing(12);
    for (QPushButton* button : {m_editorButton, m_transferEditsButton}) {
        button->setParent(column);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    return column;
}

QWidget* WordListScreen::buildWordBrowser() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    m_wordBrowser = new QListWidget(column);
    m_wordBrowser->setObjectName(QStringLiteral("List3"));
    m_wordBrowser->setToolTip(QStringLiteral("Click on a word to hear the word spoken"));
    m_wordBrowser->setAccessibleName(tr("Word browser"));
    m_wordBrowser->setUniformItemSizes(true);
    // The word memory readers mark every word they find; a click still chooses one.
    m_wordBrowser->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_wordBrowser->installEventFilter(this);
    layout->addWidget(m_wordBrowser, 1);

    m_sayWordFrame = new QFrame(column);
    m_sayWordFrame->setObjectName(QStringLiteral("sayWordFrame"));
    m_sayWordFrame->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(m_sayWordFrame);

    m_wordSlider = new WordSlider(m_sayWordFrame);
    m_wordSlider->setObjectName(QStringLiteral("HScroll7"));
    m_wordSlider->setRange(0, SayWord::kMaxIndex);
    m_wordSlider->setValue(kInitialWord);
    // A scroll bar takes no focus of its own; as the word slider it must be usable by keyboard.
    m_wordSlider->setFocusPolicy(Qt::StrongFocus);
    // A scroll bar inverts its keys (Right would step back here); the slider's Right goes to the next word.
    m_wordSlider->setInvertedControls(false);
    m_wordSlider->setAccessibleName(tr("Word"));
    grid->addWidget(m_wordSlider, 0, 0, 1, 3);

    // Showing the start word's own number, not the design's "200": that would name the word before it.
    m_wordNumber = new QLineEdit(numberText(kInitialWord + 1), m_sayWordFrame);
    m_wordNumber->setObjectName(QStringLiteral("Text8"));
    m_wordNumber->setAccessibleName(tr("Word number"));
    m_wordNumber->setMaximumWidth(m_wordNumber->fontMetrics().horizontalAdvance(QStringLiteral(" 00000")) +
                                  12);
    grid->addWidget(m_wordNumber, 1, 0);

    m_sayWordButton = new QPushButton(QStringLiteral("Say Word"), m_sayWordFrame);
    m_sayWordButton->setObjectName(QStringLiteral("sayWordButton"));
    m_sayWordButton->setToolTip(QStringLiteral("Click on a word to hear it spoken"));
    grid->addWidget(m_sayWordButton, 1, 1);

    m_sendToUnitBox = new QCheckBox(QStringLiteral("Send to RLD / MVR"), m_sayWordFrame);
    m_sendToUnitBox->setObjectName(QStringLiteral("sendToUnitBox"));
    m_sendToUnitBox->setToolTip(QStringLiteral("Click here to turn on or off  output  to RLD or MVR"));
    grid->addWidget(m_sendToUnitBox, 1, 2);
    layout->addWidget(m_sayWordFrame);

    connect(m_wordSlider, &QScrollBar::valueChanged, this, &WordListScreen::showWord);
    connect(m_wordNumber, &QLineEdit::editingFinished, this, &WordListScreen::takeTypedNumber);
    connect(m_sayWordButton, &QPushButton::clicked, this, [this] { runScreenAction(m_host, sayWord()); });
    connect(m_wordBrowser, &QListWidget::currentRowChanged, this, &WordListScreen::followList);
    connect(m_wordBrowser, &QListWidget::itemClicked, this, &WordListScreen::speakItem);
    connect(m_wordBrowser, &QListWidget::itemDoubleClicked, this, &WordListScreen::speakItem);
    return column;
}

void WordListScreen::fillWordBrowser() {
    m_wordBrowser->clear();
    m_wordBrowser->addItems(m_host.vocabulary().list3());
    // The entries past the slider's end are the empty tail of the list: no word to say or to select.
    for (int row = m_wordSlider->maximum() + 1; row < m_wordBrowser->count(); ++row)
        m_wordBrowser->item(row)->setFlags(Qt::NoItemFlags);
    selectInList(m_wordSlider->value());
}

void WordListScreen::showWord(int index) {
    m_wordNumber->setText(numberText(index + 1));
    selectInList(index);
}

void WordListScreen::selectInList(int index) {
    if (index >= m_wordBrowser->count()) {
        // A shortened word list has no entry for this word, which the device can still speak.
        m_wordBrowser->setCurrentRow(-1);
        return;
    }
    m_wordBrowser->setCurrentRow(index);
    m_wordBrowser->scrollToItem(m_wordBrowser->item(index));
}

void WordListScreen::markReadWord(int index) {
    // The slider and its number keep the word the user chose for Say Word; the reader only marks rows.
    QListWidgetItem* item = m_wordBrowser->item(index);
    if (!item)
        return;
    item->setSelected(true);
    m_wordBrowser->scrollToItem(item);
}

void WordListScreen::followList(int row) {
    if (row >= 0 && row <= m_wordSlider->maximum())
        m_wordSlider->setValue(row);
}

void WordListScreen::takeTypedNumber() {
    bool isNumber = false;
    const int index = m_wordNumber->text().trimmed().toInt(&isNumber) - 1;
    if (isNumber && index >= m_wordSlider->minimum() && index <= m_wordSlider->maximum())
        m_wordSlider->setValue(index);
    // Also after a valid number: the box shows it as every other number here is shown.
    m_wordNumber->setText(numberText(m_wordSlider->value() + 1));
}

void WordListScreen::speakItem(QListWidgetItem* item) {
    const int index = m_wordBrowser->row(item);
    if (index < 0 || index > m_wordSlider->maximum())
        return;
    m_wordSlider->setValue(index);
    runScreenAction(m_host, sayWord());
}

bool WordListScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_wordBrowser && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool speakKey =
            key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
        if (speakKey && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (QListWidgetItem* item = m_wordBrowser->currentItem())
                speakItem(item);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WordListScreen::follow(DeviceSequence& sequence) {
    connect(&sequence, &DeviceSequence::statusChanged, this,
            [this](const QString& text) { m_host.setStatus(text); });
    connect(&sequence, &DeviceSequence::progressChanged, this, [this](int done, int total) {
        m_host.setPleaseWaitProgress(done, total);
        m_cancelShortcut->setEnabled(total > 0);
    });
}

void WordListScreen::showResultBox() {
    m_resultBox->show();
    m_resultBox->clear();
    m_host.setPleaseWaitVisible(true);
}

void WordListScreen::endProgress() {
    m_cancelShortcut->setEnabled(false);
    m_host.setPleaseWaitProgress(0, 0);
    m_host.setPleaseWaitVisible(false);
}

void WordListScreen::restoreAfterUpload() {
    m_host.showSetupFrame();
    m_wordBrowser->show();
    m_sayWordFrame->show();
    m_host.setTabStripVisible(true);
    endProgress();
}

QCoro::Task<> WordListScreen::upload() {
    QPointer self(this);
    WordListUpload job(m_host.link(), m_host.vocabulary(), m_host.prompter(), m_host.spinner());
    follow(job);
    connect(&job, &DeviceSequence::begun, this, [this] {
        m_host.setPleaseWaitVisible(true);
        m_wordBrowser->hide();
        m_sayWordFrame->hide();
        m_host.setTabStripVisible(false);
    });
    const SequenceOutcome outcome = co_await job.run();
    if (!self || outcome.status == SequenceOutcome::Status::Declined ||
        outcome.status == SequenceOutcome::Status::Busy)
        co_return;
    restoreAfterUpload();
    if (outcome.status == SequenceOutcome::Status::Failed)
        co_await m_host.prompter().inform(outcome.message);
}

QCoro::Task<> WordListScreen::readMemory(QCoro::Task<SequenceOutcome> (WordMemoryReader::*read)()) {
    QPointer self(this);
    WordMemoryReader job(m_host.link(), m_host.vocabulary(), m_host.spinner());
    follow(job);
    connect(&job, &DeviceSequence::begun, this, &WordListScreen::showResultBox);
    connect(&job, &WordMemoryReader::lineAdded, m_resultBox, &QPlainTextEdit::appendPlainText);
    connect(&job, &WordMemoryReader::interrupted, this, &WordListScreen::appendInterrupted);
    m_wordBrowser->clearSelection();
    connect(&job, &WordMemoryReader::wordSelected, this, &WordListScreen::markReadWord);
    const SequenceOutcome outcome = co_await (job.*read)();
    if (self && outcome.status != SequenceOutcome::Status::Busy)
        endProgress();
}

void WordListScreen::appendInterrupted(const QString& reason) {
    // Without it, a count over fewer entries than it announces would look like a finished read.
    m_resultBox->appendPlainText(QStringLiteral("— interrupted: ") + reason);
}

QCoro::Task<> WordListScreen::clearMemory(QCoro::Task<SequenceOutcome> (WordMemoryClearer::*clear)()) {
    WordMemoryClearer job(m_host.link());
    follow(job);
    co_await (job.*clear)();
}

QCoro::Task<> WordListScreen::sendToUnit() {
    QPointer self(this);
    UnitTransfer job(m_host.link(), m_host.prompter(), m_host.dataDir());
    follow(job);
    connect(&job, &DeviceSequence::begun, this, [this] { m_host.setPleaseWaitVisible(true); });
    const SequenceOutcome outcome = co_await job.run();
    if (!self || outcome.status == SequenceOutcome::Status::Declined ||
        outcome.status == SequenceOutcome::Status::Busy)
        co_return;
    endProgress();
    if (outcome.status == SequenceOutcome::Status::Failed)
        co_await m_host.prompter().inform(outcome.message);
}

QCoro::Task<> WordListScreen::transferEdits() {
    QPointer self(this);
    const bool agreed = co_await m_host.prompter().askYesNo(QStringLiteral(
        "This will Transfer Temporary Edits made in the word editor to the main program, Continue ?"));
    if (!self || !agreed)
        co_return;
    // A job may have begun while the question was open; the please-wait frame would hide its progress.
    if (m_host.link().jobRunning()) {
        m_host.setStatus(DeviceLink::busyText());
        co_return;
    }
    m_host.setPleaseWaitVisible(true);
    QString error;
    std::optional<VocabularyTables> edits;
    if (const FolderLock lock(m_host.dataDir(), FolderLock::kWindowWaitLimit); lock.isLocked())
        edits = VocabularyLoader::loadEdits(m_host.dataDir(), &error);
    else
        error = QStringLiteral("The edited word files could not be transferred, nothing was changed.\n%1")
                    .arg(lock.error());
    if (edits && edits->list1.isEmpty()) {
        error = QStringLiteral("The edited word list %1 holds no words, nothing was changed.")
                    .arg(QLatin1String(WordListFiles::kTempWords));
        edits.reset();
    }
    if (edits)
        m_host.vocabulary().assign(std::move(edits->list1), std::move(edits->list3), edits->codes);
    m_host.setPleaseWaitVisible(false);
    if (!edits)
        co_await m_host.prompter().inform(error);
}

QCoro::Task<> WordListScreen::sayWord() {
    QPointer self(this);
    const int index = m_wordSlider->value();
    // The list is disabled while the word is spoken, which moves the focus off it; a keyboard user
    // speaking word after word gets it back.
    const bool listHadFocus = m_wordBrowser->hasFocus();
    SayWord job(m_host.link(), SayWord::Numbering::FromOne);
    follow(job);
    connect(&job, &DeviceSequence::begun, this, [this, index] { Q_EMIT internalWordSelected(index); });
    co_await job.run(index, m_sendToUnitBox->isChecked());
    if (self && listHadFocus && m_wordBrowser->isEnabled())
        m_wordBrowser->setFocus();
}

} // namespace telvar
