// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ItcScreen.h"

#include "device/ScreenHost.h"
#include "vocab/Vocabulary.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace telvar {

namespace {

struct WindowOption {
    ResponseWindow window;
    const char* caption;
    const char* toolTip;
    const char* name;
};

const QString kQuestionPrompt = QStringLiteral("Enter a question");

constexpr WindowOption kWindowOptions[] = {
    {ResponseWindow::Seconds24, "24 seconds", "Allow 24 seconds for a response ", "option24"},
    {ResponseWindow::Seconds12, "12 seconds", "Allow 12 seconds for a response ", "option12"},
    {ResponseWindow::Seconds6, "6 seconds", "Allow 6 seconds for a response ", "option6"},
};

} // namespace

ItcScreen::ItcScreen(ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_session(host.link(), host.vocabulary()) {
    m_question = new QPlainTextEdit(kQuestionPrompt, this);
    m_question->setObjectName(QStringLiteral("questionBox"));
    m_question->setToolTip(QStringLiteral("Type a Question here hit enter or press the ASK button "));
    m_question->setTabChangesFocus(true);
    m_question->setMaximumHeight(m_question->fontMetrics().lineSpacing() * 6);
    m_question->viewport()->installEventFilter(this);

    m_ask = new QPushButton(QStringLiteral("ASK"), this);
    m_ask->setObjectName(QStringLiteral("askButton"));
    m_ask->setToolTip(QStringLiteral("Press the ASK button  to enter your question "));

    auto* options = new QVBoxLayout;
    m_windows = new QButtonGroup(this);
    for (const WindowOption& option : kWindowOptions) {
        auto* button = new QRadioButton(QString::fromLatin1(option.caption), this);
        button->setObjectName(QString::fromLatin1(option.name));
        button->setToolTip(QString::fromLatin1(option.toolTip));
        button->setChecked(option.window == ResponseWindow::Seconds12);
        m_windows->addButton(button, static_cast<int>(option.window));
        options->addWidget(button);
    }
    options->addStretch();

    m_events = new QPlainTextEdit(this);
    m_events->setObjectName(QStringLiteral("eventWindow"));
    m_events->setToolTip(QStringLiteral("event window"));
    m_events->setReadOnly(true);

    m_wordList = new QListWidget(this);
    m_wordList->setObjectName(QStringLiteral("List1"));
    m_wordList->setToolTip(QStringLiteral("Internal word List"));
    m_wordList->setUniformItemSizes(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_question, 0, 0);
    grid->addWidget(m_ask, 1, 0);
    grid->addLayout(options, 0, 1, 2, 1);
    grid->addWidget(m_events, 2, 0, 1, 2);
    grid->addWidget(m_wordList, 0, 2, 3, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);

    fillWordList();
    connect(&host.vocabulary(), &Vocabulary::list1Changed, this, &ItcScreen::fillWordList);

    connect(m_ask, &QPushButton::clicked, this, &ItcScreen::ask);
    // Enter in the box, or a pasted line break, asks; the line break stays part of the question. Queued,
    // so the box is emptied after its own edit has finished, not from inside it.
    connect(
        m_question, &QPlainTextEdit::textChanged, this,
        [this] {
            if (m_question->toPlainText().contains(u'\n'))
                ask();
        },
        Qt::QueuedConnection);

    m_session.setScreenVisibleCheck([this] { return isVisible(); });
    connect(&m_session, &SessionController::eventEntry, this, &ItcScreen::addEvent);
    connect(&m_session, &SessionController::listeningChanged, this, &ItcScreen::setListening);
    connect(&m_session, &SessionController::itemSelected, this, &ItcScreen::selectWord);
    connect(&m_session, &SessionController::problem, this,
            [this](const QString& text) { m_host.setStatus(text); });
}

void ItcScreen::ask() {
    QString question = m_question->toPlainText();
    question.replace(u'\n', QStringLiteral("\r\n"));
    if (!m_session.ask(question, chosenWindow()))
        return;
    // Emptying the box holds no line break, so it does not ask again.
    m_question->clear();
}

ResponseWindow ItcScreen::chosenWindow() const {
    return static_cast<ResponseWindow>(m_windows->checkedId());
}

void ItcScreen::fillWordList() {
    m_wordList->clear();
    m_wordList->addItems(m_host.vocabulary().list1());
}

void ItcScreen::addEvent(const QString& text) {
    QString entry = text;
    entry.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_events->setPlainText(entry + u'\n' + m_events->toPlainText());
}

void ItcScreen::setListening(bool listening) {
    // Disabling the box would hand the focus on to the response-window options, where the next key typed
    // would choose another window or change the next question; the event window takes keys harmlessly.
    if (listening && isAncestorOf(QApplication::focusWidget()))
        m_events->setFocus(Qt::OtherFocusReason);
    m_question->setEnabled(!listening);
    m_ask->setEnabled(!listening);
    if (!listening)
        m_question->setFocus();
}

bool ItcScreen::eventFilter(QObject* watched, QEvent* event) {
    // A click into the box while it holds only its prompt selects the prompt, so that typing replaces it.
    // Queued: a click inside a selection clears it only once the box has handled the release.
    if (watched == m_question->viewport() && event->type() == QEvent::MouseButtonRelease) {
        QTimer::singleShot(0, m_question, [this] {
            if (m_question->toPlainText() == kQuestionPrompt && !m_question->textCursor().hasSelection())
                m_question->selectAll();
        });
    }
    return QWidget::eventFilter(watched, event);
}

void ItcScreen::focusQuestion() {
    if (m_question->toPlainText() == kQuestionPrompt)
        m_question->selectAll();
    m_question->setFocus(Qt::OtherFocusReason);
}

void ItcScreen::selectWord(int index) {
    if (index >= m_wordList->count())
        return;
    m_wordList->setCurrentRow(index);
    m_wordList->scrollToItem(m_wordList->item(index));
}

} // namespace telvar
