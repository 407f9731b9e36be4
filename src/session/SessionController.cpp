#include "session/SessionController.h"

#include "device/Commands.h"
#include "device/DeviceLink.h"
#include "device/DeviceStep.h"
#include "device/ScreenAction.h"
#include "device/Timings.h"
#include "vocab/Vocabulary.h"

#include <QPointer>

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
    // A tick that found a word pauses for eleven pause-timer periods before the word is spoken, far longer
    // than the poll period. Ticks that fall due meanwhile are skipped rather than run alongside, so the
    // device speaks one word at a time, in the order the words were read.
    if (m_tickRunning)
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
        self->m_tickRunning = false;
        Q_EMIT self->problem(QStringLiteral("A poll stopped on an unexpected error: %1").arg(text));
    });
}

QCoro::Task<> SessionController::pollTick() {
    // Each tick is one device sequence. When another one (a screen's read-out, say) holds the link, this
    // reading is skipped; the session itself never waits for the link, so it always ends on time.
    std::optional<Sequence> device = m_link.begin(DeviceLink::Role::Poll, tr("a session reading"));
    if (!device)
        co_return;
    m_tickRunning = true;
    const QPointer<SessionController> self(this);
    QString step;
    const WaitResult result = co_await readAndSpeak(*device, step);
    if (!self)
        co_return;
    m_tickRunning = false;
    reportDeviceProblem(result, step);
    Q_EMIT tickFinished();
}

QCoro::Task<WaitResult> SessionController::readAndSpeak(Sequence& device, QString& step) {
    // The tick may outlive the session and even the controller; after every wait it checks `self`.
    const QPointer<SessionController> self(this);

    step = deviceStep(Command::ReadSensor);
    WaitResult result = co_await device.request(Command::ReadSensor);
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
    // A session that ended while this tick waited has already written its answer: the word then opens
    // the answer of the next question.
    const QString word = m_vocabulary.list1().value(index);
    m_answer += u' ' + word;
    if (m_listening)
        Q_EMIT wordAccepted({sessionMs(), index, word});

    step = QStringLiteral("the pause before speaking");
    for (int tick = 0; tick < kPauseTicksBeforeSpeaking; ++tick) {
        result = co_await device.hold();
        if (result != WaitResult::Ok || !self)
            co_return result;
    }
    Q_EMIT itemSelected(index);

    const int address = kBytesPerWord * index;
    step = deviceStep(Command::SetAddress, address % 256, address / 256);
    result = co_await device.requestAt(Command::SetAddress, address);
    if (result != WaitResult::Ok || !self)
        co_return result;
    step = deviceStep(Command::Speak);
    device.clearDataread();
    co_return co_await device.command(Command::Speak);
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
