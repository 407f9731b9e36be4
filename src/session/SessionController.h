// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/WaitResult.h"
#include "session/RecentIndexMemory.h"
#include "session/ResponseWindow.h"
#include "session/SessionEnd.h"
#include "session/SessionLogWriter.h"
#include "session/SessionPoll.h"

#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>

namespace telvar {

class DeviceLink;
class Sequence;
class Vocabulary;

// The question-and-answer session: a question opens a response window during which the device's sensor
// is polled; every new word it points at is added to the answer, selected in the word list and spoken.
// The controller lives for the whole run, and so does its memory of recently shown words.
class SessionController : public QObject {
    Q_OBJECT
public:
    SessionController(DeviceLink& link, const Vocabulary& vocabulary, QObject* parent = nullptr);
    // A session still listening is ended quietly: its answer goes into the log, and `sessionEnded` tells
    // that the program closed.
    ~SessionController() override;

    // Whether the screen that shows the words is visible; while it is not, readings are taken but no
    // word is shown, spoken or remembered. Always visible unless set.
    void setScreenVisibleCheck(std::function<bool()> check) { m_screenVisible = std::move(check); }

    SessionLogWriter& log() { return m_log; }
    const RecentIndexMemory& recentIndexes() const { return m_recent; }
    const QString& answer() const { return m_answer; }
    bool isListening() const { return m_listening; }
    // A reading is under way, or an accepted word still waits to be spoken.
    bool isTickRunning() const { return m_polling || m_speaking || !m_pending.empty(); }
    // What is left of the response window, in the session's own seconds (rounded up); 0 when not listening.
    int remainingSeconds() const;
    // The last failure of a device exchange since the question was asked.
    std::optional<WaitResult> deviceProblem() const { return m_deviceProblem; }
    // The serial number of the Telvar X the session asks: the one the link holds.
    QString deviceSerial() const;

    // Starts a session; false (and nothing happens) while one is listening.
    bool ask(const QString& question, ResponseWindow window);
    // Ends a listening session before its window closes, as the window's end would: the answer so far
    // is shown, logged and announced by `sessionEnded` with `reason`.
    void endNow(SessionEnd reason = SessionEnd::Interrupted);

Q_SIGNALS:
    void listeningChanged(bool listening);
    // A question has been asked and the window opened; `asked` comes before any `polled`.
    void asked(const QString& question, telvar::ResponseWindow window);
    // Every reading taken while listening, whether or not it showed a word.
    void polled(const telvar::SessionPoll& poll);
    // A word joined the answer.
    void wordAccepted(const telvar::SessionWord& word);
    // A text for the top of the event window (" USER ASKED: ..." or "Telvar X  :...").
    void eventEntry(const QString& text);
    // The word list selects (and scrolls to) this word index.
    void itemSelected(int index);
    void sessionEnded(const QString& answer, telvar::SessionEnd reason);
    // The session has nothing under way any more: the last reading came back and every accepted word
    // has been sent to be spoken (or dropped).
    void tickFinished();
    // A title-bar text about something that went wrong: the log, or the device not answering.
    void problem(const QString& text);

private:
    void onPollTimer();
    QCoro::Task<> pollTick();
    QCoro::Task<WaitResult> readSensor(Sequence& device);
    void queueWord(int index);
    QCoro::Task<> pauseBeforeSpeaking(quint64 serial);
    QCoro::Task<> speakDueWords();
    // `step` names the exchange under way, for the message when it fails.
    QCoro::Task<WaitResult> speak(int index, QString& step);
    void finishIfIdle();
    void endWindow(SessionEnd reason);
    // Milliseconds since the question, on the session's own clock (a test's shortened timings run it fast).
    qint64 sessionMs() const;
    PollOutcome judge(int index) const;
    void reportLogProblem();
    void reportDeviceProblem(WaitResult result, const QString& step);

    DeviceLink& m_link;
    const Vocabulary& m_vocabulary;
    std::function<bool()> m_screenVisible;
    QTimer m_pollTimer;   // t1
    QTimer m_windowTimer; // Timer2
    QElapsedTimer m_sinceAsked;
    SessionLogWriter m_log;
    RecentIndexMemory m_recent;
    QString m_answer;
    bool m_listening = false;
    bool m_polling = false;
    // Set from the moment the oldest word's pause is over until the last due word went out: polls
    // falling due then are skipped, so a word never loses the device to a reading.
    bool m_speaking = false;
    struct PendingWord {
        quint64 serial = 0;
        int index = 0;
        bool due = false; // its pause is over; it goes as soon as every older word has gone
    };
    // Accepted words in the order they were read, each pausing on its own before it may be spoken.
    std::deque<PendingWord> m_pending;
    quint64 m_nextSerial = 0;
    std::optional<WaitResult> m_deviceProblem;
    // A log that cannot be written fails the question and the answer alike; one report a session does.
    bool m_logProblemReported = false;
};

} // namespace telvar
