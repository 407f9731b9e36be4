#include "vocab/WordListScreen.h"

#include "device/Prompter.h"
#include "device/ScreenAction.h"
#include "device/ScreenHost.h"
#include "vocab/NumberText.h"
#include "vocab/SayWord.h"
#include "vocab/UnitTransfer.h"
#include "vocab/VocabularyLoader.h"
#include "vocab/WordListUpload.h"
#include "vocab/WordMemoryClearer.h"
#include "vocab/WordMemoryReader.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace telvar {

namespace {
constexpr int kInitialWord = 200;
} // namespace

WordListScreen::WordListScreen(ScreenHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildButtons());

    m_resultBox = new QPlainTextEdit(QStringLiteral("Text27"), this);
    m_resultBox->setObjectName(QStringLiteral("Text27"));
    m_resultBox->setReadOnly(true);
    m_resultBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_resultBox->hide();
    layout->addWidget(m_resultBox, 1);

    layout->addWidget(buildWordBrowser(), 1);
    fillWordBrowser();
    connect(&host.vocabulary(), &Vocabulary::list3Changed, this, &WordListScreen::fillWordBrowser);
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
    layout->addWidget(m_wordBrowser, 1);

    m_sayWordFrame = new QFrame(column);
    m_sayWordFrame->setObjectName(QStringLiteral("sayWordFrame"));
    m_sayWordFrame->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(m_sayWordFrame);

    m_wordSlider = new QScrollBar(Qt::Horizontal, m_sayWordFrame);
    m_wordSlider->setObjectName(QStringLiteral("HScroll7"));
    m_wordSlider->setRange(0, SayWord::kMaxIndex);
    m_wordSlider->setValue(kInitialWord);
    grid->addWidget(m_wordSlider, 0, 0, 1, 3);

    m_wordNumber = new QLineEdit(QString::number(kInitialWord), m_sayWordFrame);
    m_wordNumber->setObjectName(QStringLiteral("Text8"));
    m_wordNumber->setReadOnly(true);
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

    connect(m_wordSlider, &QScrollBar::valueChanged, this,
            [this](int value) { m_wordNumber->setText(numberText(value + 1)); });
    connect(m_sayWordButton, &QPushButton::clicked, this, [this] { runScreenAction(m_host, sayWord()); });
    const auto pick = [this](QListWidgetItem* item) {
        const int index = m_wordBrowser->row(item);
        // The entries past the slider's end are the empty tail of the list: there is no word to say.
        if (index > m_wordSlider->maximum())
            return;
        m_wordSlider->setValue(index);
        sayWord();
    };
    connect(m_wordBrowser, &QListWidget::itemClicked, this, pick);
    connect(m_wordBrowser, &QListWidget::itemDoubleClicked, this, pick);
    return column;
}

void WordListScreen::fillWordBrowser() {
    m_wordBrowser->clear();
    m_wordBrowser->addItems(m_host.vocabulary().list3());
}

void WordListScreen::follow(DeviceSequence& sequence) {
    connect(&sequence, &DeviceSequence::statusChanged, this,
            [this](const QString& text) { m_host.setStatus(text); });
    connect(&sequence, &DeviceSequence::progressChanged, this,
            [this](int done, int total) { m_host.setPleaseWaitProgress(done, total); });
}

void WordListScreen::showResultBox() {
    m_resultBox->show();
    m_resultBox->clear();
    m_host.setPleaseWaitVisible(true);
}

void WordListScreen::endProgress() {
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
    const SequenceOutcome outcome = co_await (job.*read)();
    if (self && outcome.status != SequenceOutcome::Status::Busy)
        endProgress();
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
    m_host.setPleaseWaitVisible(true);
    QString error;
    std::optional<VocabularyTables> edits = VocabularyLoader::loadEdits(m_host.dataDir(), &error);
    if (edits)
        m_host.vocabulary().assign(std::move(edits->list1), std::move(edits->list3), edits->codes);
    m_host.setPleaseWaitVisible(false);
    if (!edits)
        co_await m_host.prompter().inform(error);
}

QCoro::Task<> WordListScreen::sayWord() {
    QPointer self(this);
    const int index = m_wordSlider->value();
    SayWord job(m_host.link());
    follow(job);
    connect(&job, &DeviceSequence::begun, this, [this, index] {
        m_wordBrowser->setEnabled(false);
        Q_EMIT internalWordSelected(index);
    });
    const SequenceOutcome outcome = co_await job.run(index, m_sendToUnitBox->isChecked());
    if (self && outcome.status != SequenceOutcome::Status::Busy)
        m_wordBrowser->setEnabled(true);
}

} // namespace telvar
