#include "device/DeviceLink.h"

#include "device/DeviceIdentity.h"
#include "device/Timings.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <memory>

Q_LOGGING_CATEGORY(lcDevice, "telvar.device", QtWarningMsg)

namespace telvar {

QString describe(WaitResult result) {
    switch (result) {
    case WaitResult::Ok:
        return QStringLiteral("done");
    case WaitResult::TimedOut:
        return QStringLiteral("no reply from the Telvar X");
    case WaitResult::Unplugged:
        return QStringLiteral("the Telvar X is not connected");
    case WaitResult::Cancelled:
        return QStringLiteral("cancelled");
    }
    return {};
}

// The state of one wait. It ends once, by whichever comes first: the reply (reply waits only), its timer
// (a time limit, or the pause's full period), unplug or cancel. The coroutine is resumed from the event
// loop, never from inside the notification that ended the wait.
class DeviceLink::Waiter {
public:
    enum class Kind { Reply, Pause };

    Waiter(DeviceLink* link, Kind kind, Milliseconds period) : m_link(link), m_kind(kind), m_period(period) {}
    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;
    ~Waiter() { detach(); }

    Kind kind() const { return m_kind; }

    bool ready() {
        if (m_link->m_cancelRequested)
            m_result = WaitResult::Cancelled;
        else if (!m_link->m_attached)
            m_result = WaitResult::Unplugged;
        else if (m_kind == Kind::Reply && m_link->dataread())
            m_result = WaitResult::Ok;
        return m_result.has_value();
    }

    void suspend(std::coroutine_handle<> handle) {
        m_handle = handle;
        m_link->m_waiters.push_back(this);
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, m_link,
                         [this] { finish(m_kind == Kind::Pause ? WaitResult::Ok : WaitResult::TimedOut); });
        m_timer.start(m_period);
    }

    WaitResult result() const { return m_result.value_or(WaitResult::Cancelled); }

    void finish(WaitResult result) {
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
    void detach() {
        if (m_link)
            std::erase(m_link->m_waiters, this);
    }

    DeviceLink* m_link;
    Kind m_kind;
    Milliseconds m_period;
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

SequenceGuard::SequenceGuard(SequenceGuard&& other) noexcept : m_link(std::exchange(other.m_link, nullptr)) {}

SequenceGuard::~SequenceGuard() {
    if (m_link)
        m_link->releaseSequence();
}

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

void DeviceLink::OnPlugged(HidLibrary::Handle handle) {
    const int vendor = m_library.GetVendorID(handle);
    const int product = m_library.GetProductID(handle);
    if (product != kProductId || vendor != kVendorId)
        return;
    qCDebug(lcDevice) << "Telvar X plugged";
    m_attached = true;
    Q_EMIT plugged();
}

void DeviceLink::OnUnplugged(HidLibrary::Handle handle) {
    // Any device of the maker leaving brings the prompt back; the product id is not asked.
    if (m_library.GetVendorID(handle) != kVendorId)
        return;
    qCDebug(lcDevice) << "device of vendor 1240 unplugged";
    m_attached = false;
    endWaits(WaitResult::Unplugged, true);
    Q_EMIT unplugged();
}

void DeviceLink::OnChanged() {
    const HidLibrary::Handle handle = m_library.GetHandle(kVendorId, kProductId);
    m_library.SetReadNotify(handle, true);
}

void DeviceLink::OnRead(HidLibrary::Handle handle) {
    if (!m_library.Read(handle, m_input.data()))
        return;
    m_dataread = 1;
    qCDebug(lcDevice) << "in " << QByteArray(reinterpret_cast<const char*>(m_input.data()), 9).toHex(' ');
    Q_EMIT reportReceived(m_input);
    endWaits(WaitResult::Ok, false);
}

void DeviceLink::send() {
    qCDebug(lcDevice) << "out" << QByteArray(reinterpret_cast<const char*>(m_output.data()), 9).toHex(' ');
    HidLibrary::OutputReport report{};
    std::copy_n(m_output.begin(), report.size(), report.begin());
    m_library.WriteEx(kVendorId, kProductId, report);
    Q_EMIT reportSent(m_output);
}

void DeviceLink::sendCommand(char letter, std::initializer_list<quint8> arguments) {
    m_output[0] = 0;
    m_output[1] = static_cast<quint8>(letter);
    std::copy_n(arguments.begin(), std::min<std::size_t>(arguments.size(), 7), m_output.begin() + 2);
    send();
}

void DeviceLink::sendData(std::span<const quint8> data) {
    m_output[0] = 0;
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 8), m_output.begin() + 1);
    send();
}

QCoro::Task<WaitResult> DeviceLink::waitReply(Milliseconds limit) {
    WaitAwaitable awaitable{
        std::make_shared<Waiter>(this, Waiter::Kind::Reply, limit.count() > 0 ? limit : m_defaultLimit)};
    const WaitResult result = co_await awaitable;
    co_return result;
}

// The request overloads are plain functions, not coroutines: the report is complete before the returned
// wait first suspends, and no argument list has to live across a suspension (which GCC 12 gets wrong).
QCoro::Task<WaitResult> DeviceLink::request(char letter, Milliseconds limit) {
    clearDataread();
    sendCommand(letter);
    return waitReply(limit);
}

QCoro::Task<WaitResult> DeviceLink::request(char letter, quint8 first, Milliseconds limit) {
    clearDataread();
    sendCommand(letter, {first});
    return waitReply(limit);
}

QCoro::Task<WaitResult> DeviceLink::request(char letter, quint8 first, quint8 second, Milliseconds limit) {
    clearDataread();
    sendCommand(letter, {first, second});
    return waitReply(limit);
}

QCoro::Task<WaitResult> DeviceLink::requestAt(char letter, int address, Milliseconds limit) {
    return request(letter, static_cast<quint8>(address % 256), static_cast<quint8>(address / 256), limit);
}

QCoro::Task<WaitResult> DeviceLink::hold() {
    return pause(m_pausePeriod);
}

QCoro::Task<WaitResult> DeviceLink::dtimer(int seconds) {
    return pause(std::chrono::seconds(seconds));
}

QCoro::Task<WaitResult> DeviceLink::pause(Milliseconds period) {
    WaitAwaitable awaitable{std::make_shared<Waiter>(this, Waiter::Kind::Pause, Timings::scaled(period))};
    const WaitResult result = co_await awaitable;
    co_return result;
}

std::optional<SequenceGuard> DeviceLink::tryBeginSequence() {
    if (m_sequenceRunning)
        return std::nullopt;
    m_sequenceRunning = true;
    m_cancelRequested = false;
    return SequenceGuard(this);
}

void DeviceLink::cancel() {
    if (!m_sequenceRunning)
        return;
    m_cancelRequested = true;
    endWaits(WaitResult::Cancelled, true);
}

void DeviceLink::releaseSequence() {
    m_sequenceRunning = false;
    m_cancelRequested = false;
}

void DeviceLink::endWaits(WaitResult result, bool includePauses) {
    for (Waiter* waiter : std::vector<Waiter*>(m_waiters)) {
        if (includePauses || waiter->kind() == Waiter::Kind::Reply)
            waiter->finish(result);
    }
}

} // namespace telvar
