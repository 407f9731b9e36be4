// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceLink.h"

#include "device/DeviceIdentity.h"
#include "device/Timings.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QTimer>

#include <algorithm>
#include <memory>

Q_LOGGING_CATEGORY(lcDevice, "telvar.device", QtWarningMsg)

namespace telvar {

QString describe(const WaitResult& result) {
    switch (result.kind()) {
    case WaitResult::Ok:
        return QStringLiteral("done");
    case WaitResult::TimedOut:
        return QStringLiteral("no reply from the Telvar X");
    case WaitResult::Unplugged:
        return QStringLiteral("the Telvar X is not connected");
    case WaitResult::Cancelled:
        return QStringLiteral("cancelled");
    case WaitResult::WriteFailed:
        return QStringLiteral("could not send to the Telvar X: %1").arg(result.detail());
    }
    return {};
}

namespace {
QString hexOf(const quint8* bytes, int size) {
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes), size).toHex(' '));
}
} // namespace

// The state of one wait. It ends once, by whichever comes first: the reply (reply waits), the write's end
// (writes), its timer (a time limit, or the pause's full period), unplug or cancel (not writes: a report
// handed to the library goes out whatever the user wants now; not settles: a device that must be left
// alone for a while gets its while, cancelled or not; not owed replies: a device busy with a step it was
// given finishes it, cancelled or not). The coroutine is resumed from the event
// loop, never from inside the notification that ended the wait.
class DeviceLink::Waiter {
public:
    enum Kind { Reply = 1, Pause = 2, Write = 4, Settle = 8, OwedReply = 16 };

    Waiter(DeviceLink* link, Kind kind, Milliseconds period) : m_link(link), m_kind(kind), m_period(period) {}
    Waiter(DeviceLink* link, QFuture<WriteOutcome> write, Milliseconds limit)
        : m_link(link), m_kind(Write), m_period(limit), m_write(std::move(write)) {}
    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;
    ~Waiter() { detach(); }

    Kind kind() const { return m_kind; }

    bool ready() {
        if (m_link->m_closing)
            m_result = WaitResult::Cancelled;
        else if (m_kind == Write && m_write.isFinished())
            m_result = writeResult();
        else if ((m_kind == Reply || m_kind == Pause) && m_link->m_cancelRequested)
            m_result = WaitResult::Cancelled;
        else if (!m_link->m_attached)
            m_result = WaitResult::Unplugged;
        else if ((m_kind == Reply || m_kind == OwedReply) && m_link->dataread())
            m_result = WaitResult::Ok;
        return m_result.has_value();
    }

    void suspend(std::coroutine_handle<> handle) {
        m_handle = handle;
        m_link->m_waiters.push_back(this);
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, m_link, [this] { finish(timerResult()); });
        m_timer.start(m_period);
        if (m_kind == Write) {
            QObject::connect(&m_watcher, &QFutureWatcherBase::finished, m_link,
                             [this] { finish(writeResult()); });
            m_watcher.setFuture(m_write);
        }
    }

    WaitResult result() const { return m_result.value_or(WaitResult::Cancelled); }

    void finish(const WaitResult& result) {
        if (!m_handle)
            return;
        m_result = result;
        m_timer.stop();
        detach();
        auto handle = std::exchange(m_handle, {});
        QMetaObject::invokeMethod(
            m_link, [handle] { handle.resume(); }, Qt::QueuedConnection);
    }

    // The link is going away: the coroutine is abandoned rather than resumed into a dead owner.
    void abandon() {
        m_handle = {};
        m_timer.stop();
        m_link = nullptr;
    }

private:
    WaitResult timerResult() const {
        switch (m_kind) {
        case Pause:
        case Settle:
            return WaitResult::Ok;
        case Reply:
        case OwedReply:
            return WaitResult::TimedOut;
        case Write:
            break;
        }
        return {WaitResult::WriteFailed,
                QStringLiteral("it did not take the report within %1 ms").arg(m_period.count())};
    }

    WaitResult writeResult() const {
        if (m_write.resultCount() == 0)
            return {WaitResult::WriteFailed, QStringLiteral("the report was abandoned")};
        const WriteOutcome outcome = m_write.result();
        if (outcome.sent)
            return WaitResult::Ok;
        // The library heard of the unplug before the link did.
        if (outcome.absent)
            return WaitResult::Unplugged;
        return {WaitResult::WriteFailed, outcome.error};
    }

    void detach() {
        if (m_link)
            std::erase(m_link->m_waiters, this);
    }

    DeviceLink* m_link;
    Kind m_kind;
    Milliseconds m_period;
    QFuture<WriteOutcome> m_write;
    QFutureWatcher<WriteOutcome> m_watcher;
    std::optional<WaitResult> m_result;
    std::coroutine_handle<> m_handle;
    QTimer m_timer;
};

namespace {
// The awaitable handed to co_await. The coroutine machinery may copy it, so the waiter lives on the heap,
// shared by the copies.
struct WaitAwaitable {
    std::shared_ptr<DeviceLink::Waiter> waiter;
    bool await_ready() { return waiter->ready(); }
    void await_suspend(std::coroutine_handle<> handle) { waiter->suspend(handle); }
    WaitResult await_resume() { return waiter->result(); }
};
} // namespace

DeviceLink::DeviceLink(HidLibrary& library, QObject* parent)
    : QObject(parent), m_library(library), m_pausePeriod(Timings::kInitialPausePeriod),
      m_defaultLimit(Timings::kDefaultReplyLimit) {}

DeviceLink::~DeviceLink() {
    for (Waiter* waiter : std::vector<Waiter*>(m_waiters))
        waiter->abandon();
    m_waiters.clear();
    hiddetach();
}

bool DeviceLink::hidattach() {
    if (!m_connected) {
        connect(&m_library, &HidLibrary::notify, this, &DeviceLink::hidrouter);
        m_connected = true;
    }
    return m_library.Connect();
}

bool DeviceLink::hiddetach() {
    if (!m_connected)
        return false;
    disconnect(&m_library, &HidLibrary::notify, this, &DeviceLink::hidrouter);
    m_connected = false;
    return m_library.Disconnect();
}

void DeviceLink::hidrouter(int notification, HidLibrary::Handle handle) {
    switch (notification) {
    case HidLibrary::Plugged:
        OnPlugged(handle);
        break;
    case HidLibrary::Unplugged:
        OnUnplugged(handle);
        break;
    case HidLibrary::Changed:
        OnChanged();
        break;
    case HidLibrary::ReadReady:
        OnRead(handle);
        break;
    default:
        break; // other codes are passed over
    }
}

bool DeviceLink::holds(const QString& serial, const QString& path) const {
    if (!m_holdsDevice)
        return true;
    // A serial number finds the device again at another node; without one only its node can.
    return m_serialNumber.isEmpty() ? path == m_devicePath : serial == m_serialNumber;
}

void DeviceLink::OnPlugged(HidLibrary::Handle handle) {
    const int vendor = m_library.GetVendorID(handle);
    const int product = m_library.GetProductID(handle);
    if (product != kProductId || vendor != kVendorId)
        return;
    const QString serial = m_library.GetSerialNumber(handle);
    const QString path = m_library.GetPath(handle);
    // Another Telvar X, or a second one that claims the same serial while the held one is here.
    if (!holds(serial, path) || (m_attached && handle != m_handle)) {
        qCDebug(lcDevice) << "another Telvar X plugged, left alone:" << serial << path;
        return;
    }
    m_holdsDevice = true;
    m_serialNumber = serial;
    m_devicePath = path;
    m_handle = handle;
    qCDebug(lcDevice) << "Telvar X plugged, serial" << m_serialNumber << "at" << m_devicePath;
    m_attached = true;
    Q_EMIT plugged();
}

void DeviceLink::OnUnplugged(HidLibrary::Handle handle) {
    // Any other device of the maker leaving brings the prompt back; a Telvar X only when it is the one
    // held here, whatever other windows or programs use the others.
    if (m_library.GetVendorID(handle) != kVendorId)
        return;
    if (m_library.GetProductID(handle) == kProductId) {
        const QString serial = m_library.GetSerialNumber(handle);
        const QString path = m_library.GetPath(handle);
        if (!m_holdsDevice || serial != m_serialNumber || path != m_devicePath) {
            qCDebug(lcDevice) << "another Telvar X unplugged, left alone:" << serial << path;
            return;
        }
        qCDebug(lcDevice) << "Telvar X unplugged, serial" << serial;
    } else {
        qCDebug(lcDevice) << "device of vendor 1240 unplugged";
    }
    m_attached = false;
    m_handle = 0;
    endWaits(WaitResult::Unplugged,
             Waiter::Reply | Waiter::OwedReply | Waiter::Pause | Waiter::Write | Waiter::Settle);
    Q_EMIT unplugged();
}

void DeviceLink::OnChanged() {
    // Only the held device's reports are read here: another Telvar X's replies are not for this link.
    if (m_attached)
        m_library.SetReadNotify(m_handle, true);
}

void DeviceLink::OnRead(HidLibrary::Handle handle) {
    if (handle != m_handle || !m_library.Read(handle, m_input.data()))
        return;
    m_dataread = 1;
    qCDebug(lcDevice).noquote() << "in " << hexOf(m_input.data(), kInputBufferSize);
    Q_EMIT reportReceived(m_input);
    endWaits(WaitResult::Ok, Waiter::Reply | Waiter::OwedReply);
}

std::optional<Sequence> DeviceLink::begin(Role role, const QString& name) {
    if (m_sequenceRunning || m_closing)
        return std::nullopt;
    m_sequenceRunning = true;
    m_role = role;
    m_name = name;
    m_cancelRequested = false;
    Sequence sequence(this);
    Q_EMIT sequenceBegun();
    return sequence;
}

QString DeviceLink::busyText() {
    return QStringLiteral("Busy: another Telvar X command is still running");
}

void DeviceLink::cancel() {
    if (!m_sequenceRunning)
        return;
    m_cancelRequested = true;
    endWaits(WaitResult::Cancelled, Waiter::Reply | Waiter::Pause);
}

void DeviceLink::closeDown() {
    m_closing = true;
    m_cancelRequested = true;
    // Each round resumes the suspended coroutines, which run on to their next wait (over at once now)
    // or their end. A screen waiting for the link's signals (a sequence's end) is resumed through the
    // same queue, a round later, so the rounds go on a little after the link has gone quiet.
    constexpr int kRounds = 64;
    constexpr int kQuietRounds = 2;
    int quiet = 0;
    for (int round = 0; round < kRounds && quiet < kQuietRounds; ++round) {
        quiet = m_sequenceRunning || !m_waiters.empty() ? 0 : quiet + 1;
        endWaits(WaitResult::Cancelled,
                 Waiter::Reply | Waiter::OwedReply | Waiter::Pause | Waiter::Write | Waiter::Settle);
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void DeviceLink::releaseSequence() {
    m_sequenceRunning = false;
    m_cancelRequested = false;
    Q_EMIT sequenceEnded();
}

void DeviceLink::endWaits(WaitResult result, int kinds) {
    for (Waiter* waiter : std::vector<Waiter*>(m_waiters)) {
        if (waiter->kind() & kinds)
            waiter->finish(result);
    }
}

void DeviceLink::setCommand(char letter, std::initializer_list<quint8> arguments) {
    m_output[0] = 0;
    m_output[1] = static_cast<quint8>(letter);
    std::copy(arguments.begin(), arguments.end(), m_output.begin() + 2);
}

void DeviceLink::setData(std::span<const quint8> bytes) {
    m_output[0] = 0;
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 8), m_output.begin() + 1);
}

// Coroutines start at once: the report leaves as the buffer stands at the call, and reports reach the
// library in the order their sequences sent them.
QCoro::Task<WaitResult> DeviceLink::write() {
    if (m_closing)
        co_return WaitResult::Cancelled;
    if (!m_attached)
        co_return WaitResult::Unplugged;
    qCDebug(lcDevice).noquote() << "out" << hexOf(m_output.data(), HidLibrary::kOutputReportSize);
    HidLibrary::OutputReport report{};
    std::copy_n(m_output.begin(), report.size(), report.begin());
    QFuture<WriteOutcome> future = m_library.WriteEx(kVendorId, kProductId, report);
    Q_EMIT reportSent(m_output);
    // A named awaitable: GCC 12 frees a temporary one twice when the coroutine suspends on it.
    WaitAwaitable awaitable{std::make_shared<Waiter>(this, std::move(future), m_defaultLimit)};
    co_return co_await awaitable;
}

QCoro::Task<WaitResult> DeviceLink::waitReply(Milliseconds limit, bool owed) {
    WaitAwaitable awaitable{
        std::make_shared<Waiter>(this, owed ? Waiter::OwedReply : Waiter::Reply, limitOr(limit))};
    co_return co_await awaitable;
}

QCoro::Task<WaitResult> DeviceLink::pause(Milliseconds period) {
    WaitAwaitable awaitable{std::make_shared<Waiter>(this, Waiter::Pause, Timings::scaled(period))};
    co_return co_await awaitable;
}

QCoro::Task<WaitResult> DeviceLink::idle(Milliseconds period) {
    return settle(period);
}

QCoro::Task<WaitResult> DeviceLink::settle(Milliseconds period) {
    WaitAwaitable awaitable{std::make_shared<Waiter>(this, Waiter::Settle, Timings::scaled(period))};
    co_return co_await awaitable;
}

} // namespace telvar
