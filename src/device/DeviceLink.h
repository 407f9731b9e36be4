#pragma once

#include "device/HidLibrary.h"
#include "device/WaitResult.h"

#include <QCoro/QCoroTask>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>

#include <array>
#include <chrono>
#include <coroutine>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcDevice)

namespace telvar {

class DeviceLink;

// Held by a running device sequence; only one exists at a time. Releasing it clears a pending cancel.
class SequenceGuard {
public:
    SequenceGuard(SequenceGuard&& other) noexcept;
    SequenceGuard& operator=(SequenceGuard&&) = delete;
    SequenceGuard(const SequenceGuard&) = delete;
    ~SequenceGuard();

private:
    friend class DeviceLink;
    explicit SequenceGuard(DeviceLink* link) : m_link(link) {}
    QPointer<DeviceLink> m_link;
};

// The program's one path to the Telvar X: the report buffers, `dataread`, the routing of the library's
// notifications, the shared pause timer and the one reply wait. Lives on the GUI thread.
class DeviceLink : public QObject {
    Q_OBJECT
public:
    using Milliseconds = std::chrono::milliseconds;
    static constexpr int kOutputBufferSize = 11;
    static constexpr int kInputBufferSize = 9;

    explicit DeviceLink(HidLibrary& library, QObject* parent = nullptr);
    ~DeviceLink() override;

    HidLibrary& library() { return m_library; }

    // Registration with the library; hiddetach may be called any number of times.
    bool hidattach();
    bool hiddetach();

    // True between a plugged notification for the Telvar X and the next unplug of vendor 1240.
    bool isAttached() const { return m_attached; }

    // --- Buffers and sending -------------------------------------------------------------------------
    // The output buffer is never cleared: a command that sets bytes 0 and 1 only still sends bytes 2-8.
    std::array<quint8, kOutputBufferSize>& output() { return m_output; }
    const std::array<quint8, kInputBufferSize>& input() const { return m_input; }
    quint8 reply(int index) const { return m_input.at(index); }
    bool dataread() const { return m_dataread != 0; }
    void clearDataread() { m_dataread = 0; }

    // Sends the output buffer as it stands.
    void send();
    // Sets byte 0 = 0, byte 1 = the letter and the given argument bytes from byte 2 on, then sends.
    void sendCommand(char letter, std::initializer_list<quint8> arguments = {});
    // A raw report without command letter: byte 0 = 0, the data from byte 1 on.
    void sendData(std::span<const quint8> data);

    // --- Waiting ---------------------------------------------------------------------------------------
    // The one reply wait. Ends on the reply (dataread set), on the time limit (0 = the default limit),
    // on unplug, or on cancel. A wait started without a device ends at once with Unplugged.
    QCoro::Task<WaitResult> waitReply(Milliseconds limit = Milliseconds{0});
    // Clears dataread, sends the command with its argument bytes (the bytes after them keep their old
    // values) and waits for the reply (0 = the default limit).
    QCoro::Task<WaitResult> request(char letter, Milliseconds limit = Milliseconds{0});
    QCoro::Task<WaitResult> request(char letter, quint8 first, Milliseconds limit = Milliseconds{0});
    QCoro::Task<WaitResult> request(char letter, quint8 first, quint8 second,
                                    Milliseconds limit = Milliseconds{0});
    // The same with a word-memory address in bytes 2 (low) and 3 (high).
    QCoro::Task<WaitResult> requestAt(char letter, int address, Milliseconds limit = Milliseconds{0});

    // `hold`: one tick of the shared pause timer at its current period. Ends early on unplug or cancel.
    QCoro::Task<WaitResult> hold();
    // `dtimer`: a pause of whole seconds on the monotonic clock (scaled like every protocol period).
    QCoro::Task<WaitResult> dtimer(int seconds);
    // A pause of the given protocol period (scaled), ending early on unplug or cancel.
    QCoro::Task<WaitResult> pause(Milliseconds period);

    // The pause timer's period is sticky: it keeps the last value set for every later pause.
    void setPausePeriod(Milliseconds period) { m_pausePeriod = period; }
    Milliseconds pausePeriod() const { return m_pausePeriod; }

    void setDefaultReplyLimit(Milliseconds limit) { m_defaultLimit = limit; }
    Milliseconds defaultReplyLimit() const { return m_defaultLimit; }

    // --- One sequence at a time --------------------------------------------------------------------------
    std::optional<SequenceGuard> tryBeginSequence();
    bool sequenceRunning() const { return m_sequenceRunning; }
    // Ends the running sequence's current and every later wait with Cancelled until its guard is released.
    void cancel();
    bool cancelRequested() const { return m_cancelRequested; }

    // The four device events, as the library's notifications are routed to them (`hidrouter`).
    void OnPlugged(HidLibrary::Handle handle);
    void OnUnplugged(HidLibrary::Handle handle);
    void OnChanged();
    void OnRead(HidLibrary::Handle handle);

Q_SIGNALS:
    void plugged();   // the Telvar X arrived (hidon)
    void unplugged(); // a device of vendor 1240 left: back to the connect prompt
    void reportReceived(const std::array<quint8, 9>& report);
    void reportSent(const std::array<quint8, 11>& report);

public:
    class Waiter; // one pending wait; defined in the source file

private:
    friend class SequenceGuard;

    void hidrouter(int notification, HidLibrary::Handle handle);
    void endWaits(WaitResult result, bool includePauses);
    void releaseSequence();

    HidLibrary& m_library;
    std::array<quint8, kOutputBufferSize> m_output{};
    std::array<quint8, kInputBufferSize> m_input{};
    qint16 m_dataread = 0;
    bool m_connected = false;
    bool m_attached = false;
    bool m_sequenceRunning = false;
    bool m_cancelRequested = false;
    Milliseconds m_pausePeriod;
    Milliseconds m_defaultLimit;
    std::vector<Waiter*> m_waiters;
};

} // namespace telvar
