// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionController.h"

#include "device/Commands.h"
#include "device/DeviceLink.h"
#include "device/DeviceStep.h"
#include "device/ScreenAction.h"
#include "device/Timings.h"
#include "vocab/Vocabulary.h"

#include <QCoro/QCoroSignal>
#include <QDeadlineTimer>
#include <QPointer>

#include <algorithm>

namespace telvar {

namespace {
constexpr int kHighestIndex = 2048;
constexpr int kPauseTicksBeforeSpeaking = 11;
constexpr int kBytesPerWord = 8;
} // namespace

SessionController::SessionController(DeviceLink& link, const Vocabulary& vocabulary, QObject* parent)
    : QObject(parent), m_link(link), m_vocabulary(vocabulary), m_screenVisible([] { return true; }) {
    m_pollTimer.setInterval(Timings::scaled(Timings::kPollPeriod));
    connect(&m_pollTimer, &QTimer::timeout, this, &SessionController::onPollTimer);
    m_windowTimer.setSingleShot(true);
    // A coarse timer may end a 6-second window 300 ms early.
    m_windowTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_windowTimer, &QTimer::timeout, this, [this] {
        endWindow(m_deviceProblem == WaitResult::Unplugged ? SessionEnd::DeviceGone
                                                           : SessionEnd::WindowEnded);
    });
}

SessionController::~SessionController() {
    if (!m_listening)
        return;
    m_log.writeAnswerAndClose(m_answer);
    Q_EMIT sessionEnded(m_answer, SessionEnd::ProgramClosed);
}

qint64 SessionController::sessionMs() const {
    return m_sinceAsked.elapsed() * Timings::divisor();
}

int SessionController::remainingSeconds() const {
    if (!m_listening || !m_windowTimer.isActive())
        return 0;
    // The timer runs on the shortened clock when a test shortens the timings.
    const qint64 left = qint64(m_windowTimer.remainingTime()) * Timings::divisor();
    return int((left + 999) / 1000);
}

QString SessionController::deviceSerial() const {
    return m_link.serialNumber();
}

bool SessionController::ask(const QString& question, ResponseWindow window) {
    if (m_listening)
        return false;
    m_deviceProblem.reset();
    m_logProblemReported = false;
    m_windowTimer.setInterval(Timings::scaled(duration(window)));
    Q_EMIT eventEntry(QStringLiteral(" USER ASKED: ") + question);
    m_pollTimer.start();
    m_windowTimer.start();
    m_sinceAsked.start();
    m_listening = true;
    Q_EMIT listeningChanged(true);
    Q_EMIT asked(question, window);
    if (!m_log.writeQuestion(question))
        reportLogProblem();
    return true;
}

void SessionController::onPollTimer() {
    // A reading still out is not doubled; and once a word's pause is over, the device is the word's
    // until it has been spoken.
    if (m_polling || m_speaking)
        return;
    // After an unplug nothing is sent until the device is back; the window still ends on time, and the
    // session says why it heard nothing.
    if (!m_link.isAttached()) {
        reportDeviceProblem(WaitResult::Unplugged, deviceStep(Command::ReadSensor));
        return;
    }
    runReported(pollTick(), [self = QPointer(this)](const QString& text) {
        if (!self)
            return;
        // The session goes on to the end of its window; the next tick may fare better.
        self->m_polling = false;
        Q_EMIT self->problem(QStringLiteral("A poll stopped on an unexpected error: %1").arg(text));
    });
}

QCoro::Task<> SessionController::pollTick() {
    // Each reading is one short device sequence. When another one (a screen's read-out, say) holds the
    // link, this reading is skipped; the session itself never waits for the link, so it always ends on
    // time.
    std::optional<Sequence> device = m_link.begin(DeviceLink::Role::Poll, tr("a session reading"));
    if (!device)
        co_return;
    m_polling = true;
    const QPointer<SessionController> self(this);
    const WaitResult result = co_await readSensor(*device);
    if (!self)
        co_return;
    // A word whose pause ended while the reply was out is waiting for the device.
    device.reset();
    m_polling = false;
    reportDeviceProblem(result, deviceStep(Command::ReadSensor));
    finishIfIdle();
}

QCoro::Task<WaitResult> SessionController::readSensor(Sequence& device) {
    // The reply may outlive the session and even the controller.
    const QPointer<SessionController> self(this);
    const WaitResult result = co_await device.request(Command::ReadSensor);
    if (result != WaitResult::Ok || !self)
        co_return result;
    // The device combines its reading with 255, not 256.
    const int highByte = device.reply(3);
    const int index = device.reply(2) + 255 * highByte;
    const PollOutcome outcome = judge(index);
    // A reply that comes after the window closed belongs to no session's record.
    if (m_listening) {
        const QString word =
            index < 1 || index > kHighestIndex ? QString() : m_vocabulary.list1().value(index);
        Q_EMIT polled(
            {sessionMs(),
             {index, device.reply(4) + 255 * device.reply(5), device.reply(6) + 255 * device.reply(7)},
             index,
             word,
             outcome});
    }
    if (outcome != PollOutcome::Shown)
        co_return WaitResult::Ok;
    m_recent.remember(index, highByte);
    Q_EMIT itemSelected(index);
    // A session that ended while this reading was out has already written its answer: the word then
    // opens the answer of the next question.
    const QString word = m_vocabulary.list1().value(index);
    m_answer += u' ' + word;
    if (m_listening)
        Q_EMIT wordAccepted({sessionMs(), index, word});
    queueWord(index);
    co_return WaitResult::Ok;
}

void SessionController::queueWord(int index) {
    const quint64 serial = m_nextSerial++;
    m_pending.push_back({serial, index, false});
    runReported(pauseBeforeSpeaking(serial), [self = QPointer(this), serial](const QString& text) {
        if (!self)
            return;
        std::erase_if(self->m_pending, [serial](const PendingWord& word) { return word.serial == serial; });
        Q_EMIT self->problem(QStringLiteral("A word was not spoken: %1").arg(text));
        self->finishIfIdle();
    });
}

QCoro::Task<> SessionController::pauseBeforeSpeaking(quint64 serial) {
    // The pause holds no sequence, so readings go on meanwhile. The controller or the link may go away
    // during it; the word is then dropped without touching either.
    const QPointer<SessionController> self(this);
    const QPointer<DeviceLink> link(&m_link);
    WaitResult result = WaitResult::Ok;
    // Each tick runs at the shared pause period of its moment, which another sequence may change.
    for (int tick = 0; tick < kPauseTicksBeforeSpeaking && result == WaitResult::Ok; ++tick) {
        result = co_await m_link.idle(m_link.pausePeriod());
        if (!self || !link)
            co_return;
    }
    const auto word = std::ranges::find(m_pending, serial, &PendingWord::serial);
    if (word == m_pending.end())
        co_return;
    if (result == WaitResult::Ok) {
        word->due = true;
    } else {
        const int address = kBytesPerWord * word->index;
        m_pending.erase(word);
        reportDeviceProblem(result, QStringLiteral("the pause before %1")
                                        .arg(deviceStep(Command::SetAddress, address % 256, address / 256)));
    }
    co_await speakDueWords();
}

QCoro::Task<> SessionController::speakDueWords() {
    // One speaker at a time keeps the words in the order they were read.
    if (m_speaking)
        co_return;
    const QPointer<SessionController> self(this);
    while (!m_pending.empty() && m_pending.front().due) {
        m_speaking = true;
        const int index = m_pending.front().index;
        m_pending.pop_front();
        QString step;
        const WaitResult result = co_await speak(index, step);
        if (!self)
            co_return;
        reportDeviceProblem(result, step);
    }
    m_speaking = false;
    finishIfIdle();
}

QCoro::Task<WaitResult> SessionController::speak(int index, QString& step) {
    const QPointer<SessionController> self(this);
    const QPointer<DeviceLink> link(&m_link);
    Q_EMIT itemSelected(index);
    // A reading already out gets its reply first; no new one starts meanwhile. Another program job may
    // hold the device too, but not for ever as far as this word is concerned.
    const QDeadlineTimer deadline(m_link.defaultReplyLimit());
    while (m_link.sequenceRunning() && !deadline.hasExpired()) {
        co_await qCoro(&m_link, &DeviceLink::sequenceEnded,
                       std::chrono::milliseconds(deadline.remainingTime()));
        if (!self || !link)
            co_return WaitResult::Cancelled;
    }
    std::optional<Sequence> device = m_link.begin(DeviceLink::Role::Poll, tr("a session word"));
    if (!device) {
        Q_EMIT problem(DeviceLink::busyText());
        co_return WaitResult::Ok;
    }
    const int address = kBytesPerWord * index;
    step = deviceStep(Command::SetAddress, address % 256, address / 256);
    WaitResult result = co_await device->requestAt(Command::SetAddress, address);
    if (result != WaitResult::Ok || !self)
        co_return result;
    step = deviceStep(Command::Speak);
    device->clearDataread();
    co_return co_await device->command(Command::Speak);
}

void SessionController::finishIfIdle() {
    if (!isTickRunning())
        Q_EMIT tickFinished();
}

PollOutcome SessionController::judge(int index) const {
    if (!m_screenVisible())
        return PollOutcome::ScreenHidden;
    if (index < 1 || index > kHighestIndex)
        return PollOutcome::OutsideRange;
    return m_recent.contains(index) ? PollOutcome::RecentlyShown : PollOutcome::Shown;
}

void SessionController::endNow(SessionEnd reason) {
    if (m_listening)
        endWindow(reason);
}

void SessionController::endWindow(SessionEnd reason) {
    m_pollTimer.stop();
    m_windowTimer.stop();
    m_listening = false;
    Q_EMIT eventEntry(QStringLiteral("Telvar X  :") + m_answer);
    if (!m_log.writeAnswerAndClose(m_answer))
        reportLogProblem();
    const QString answer = std::exchange(m_answer, QString());
    Q_EMIT listeningChanged(false);
    Q_EMIT sessionEnded(answer, reason);
}

void SessionController::reportLogProblem() {
    // The session goes on without its log; the event window still has the question and the answer.
    if (std::exchange(m_logProblemReported, true))
        return;
    Q_EMIT problem(QStringLiteral("The session log could not be written (%1)").arg(m_log.errorString()));
}

void SessionController::reportDeviceProblem(WaitResult result, const QString& step) {
    // A silent or absent device fails every tick; the title bar hears of it once per kind of failure.
    if (result == WaitResult::Ok || result == WaitResult::Cancelled || m_deviceProblem == result)
        return;
    m_deviceProblem = result;
    Q_EMIT problem(describeAt(result, step));
}

} // namespace telvar
