// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/ResponseWindow.h"
#include "session/SessionController.h"

#include <QWidget>

class QButtonGroup;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace telvar {

class ScreenHost;

// The "ITC" screen: a question is typed and asked, and during the chosen response window the words the
// device points at are selected in the internal word list, collected and spoken; question and answer go
// on top of the event window and into the session log.
class ItcScreen : public QWidget {
    Q_OBJECT
public:
    explicit ItcScreen(ScreenHost& host, QWidget* parent = nullptr);

    SessionController& session() { return m_session; }

    // Selects word `index` in the internal word list and scrolls to it; other screens select here too.
    void selectWord(int index);
    // Puts the keyboard focus into the question box, its prompt text selected so that typing replaces it.
    void focusQuestion();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ask();
    ResponseWindow chosenWindow() const;
    void fillWordList();
    void addEvent(const QString& text);
    void setListening(bool listening);

    ScreenHost& m_host;
    SessionController m_session;
    QPlainTextEdit* m_question = nullptr;
    QPushButton* m_ask = nullptr;
    QButtonGroup* m_windows = nullptr;
    QPlainTextEdit* m_events = nullptr;
    QListWidget* m_wordList = nullptr; // List1
};

} // namespace telvar
