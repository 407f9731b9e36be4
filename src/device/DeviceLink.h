// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/HidLibrary.h"
#include "device/Sequence.h"
#include "device/WaitResult.h"

#include <QCoro/QCoroTask>
#include <QLoggingCategory>
#include <QObject>

#include <array>
#include <chrono>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcDevice)

namespace telvar {

// The program's one path to the Telvar X: the report buffers, `dataread`, the routing of the library's
// notifications, the shared pause timer and the one wait. Sending and waiting go through the Sequence it
// hands out, one at a time. Lives on the GUI thread.
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

    // True between a plugged notification for the Telvar X this link holds and its unplug (or that of a
    // device of vendor 1240 that is no Telvar X).
    bool isAttached() const { return m_attached; }
    // The serial number of the Telvar X this link holds; it stays after an unplug, so a session that ends
    // on the unplug still names its device.
    const QString& serialNumber() const { return m_serialNumber; }
    // Where that device was last attached (its node, a virtual device's state file); empty before.
    const QString& devicePath() const { return m_devicePath; }

    // --- One sequence at a time ----------------------------------------------------------------------------
    // What a sequence is to the user: a job the user started and should not lose by quitting unasked (an
    // upload, a save), or a routine poll that may be cut short at any step (the session's readings).
    enum class Role { Job, Poll };
    // The device for one sequence, or nothing while another sequence holds it. The name says what holds the
    // device to a user who finds a control disabled ("uploading the word list").
    std::optional<Sequence> begin(Role role = Role::Job, const QString& name = {});
    bool sequenceRunning() const { return m_sequenceRunning; }
    bool jobRunning() const { return m_sequenceRunning && m_role == Role::Job; }
    // What holds the device, empty while nothing does.
    QString runningName() const { return m_sequenceRunning ? m_name : QString(); }
    // Ends the running sequence's current and later waits and pauses with Cancelled until it ends.
    void cancel();
    bool cancelRequested() const { return m_cancelRequested; }
    // The program is closing while the screens or verbs that started sequences still exist: every wait
    // ends now with Cancelled, and so does every wait and sequence asked for from now on, so suspended
    // sequences run to their ends here instead of being left suspended for ever. Nothing more is sent.
    void closeDown();
    // What a refused sequence says in the title bar or on stderr.
    static QString busyText();
    // A sequence that stops short tells everyone watching the link, not only the screen that started it.
    void reportFailure(const QString& reason) { Q_EMIT failed(reason); }

    // --- What the sequences share ------------------------------------------------------------------------
    // The output buffer is never cleared: a command that sets bytes 0 and 1 only still sends bytes 2-8.
    // Sequences read both buffers; `reportSent` and `reportReceived` show them to everyone else.
    bool dataread() const { return m_dataread != 0; }
    Milliseconds pausePeriod() const { return m_pausePeriod; }
    // The pause timer's period is sticky: every later pause of every sequence runs at it.
    void setPausePeriod(Milliseconds period) { m_pausePeriod = period; }
    // A wait paced like the protocol's pauses that keeps no hold on the device, for work that must come
    // back to it later (a word waiting to be spoken) while other sequences use it. Only unplug and
    // close-down end it early: cancelling whatever sequence runs meanwhile is no reason to.
    QCoro::Task<WaitResult> idle(Milliseconds period);

    // The time limit of a reply wait, and of a write, when the sequence gives none.
    void setDefaultReplyLimit(Milliseconds limit) { m_defaultLimit = limit; }
    Milliseconds defaultReplyLimit() const { return m_defaultLimit; }

    // The four device events, as the library's notifications are routed to them (`hidrouter`).
    void OnPlugged(HidLibrary::Handle handle);
    void OnUnplugged(HidLibrary::Handle handle);
    void OnChanged();
    void OnRead(HidLibrary::Handle handle);

Q_SIGNALS:
    void plugged();   // the Telvar X this link holds arrived (hidon)
    void unplugged(); // it left, or a device of vendor 1240 that is no Telvar X did: back to the prompt
    void reportReceived(const std::array<quint8, 9>& report);
    void reportSent(const std::array<quint8, 11>& report);
    // A sequence took the device.
    void sequenceBegun();
    // The running sequence let go of the device.
    void sequenceEnded();
    // A sequence did not complete, or could not start; `reason` is its title-bar text.
    void failed(const QString& reason);

public:
    class Waiter; // one pending wait; defined in the source file

private:
    friend class Sequence;

    void hidrouter(int notification, HidLibrary::Handle handle);
    // Whether the Telvar X with this serial at this path is the one this link holds (or may take, while
    // it holds none yet).
    bool holds(const QString& serial, const QString& path) const;
    void endWaits(WaitResult result, int kinds);
    void releaseSequence();

    // For Sequence: fills bytes 0 and 1 and the argument bytes of the output buffer.
    void setCommand(char letter, std::initializer_list<quint8> arguments);
    void setData(std::span<const quint8> bytes);
    QCoro::Task<WaitResult> write();
    QCoro::Task<WaitResult> waitReply(Milliseconds limit, bool owed = false);
    QCoro::Task<WaitResult> pause(Milliseconds period);
    QCoro::Task<WaitResult> settle(Milliseconds period);
    Milliseconds limitOr(Milliseconds limit) const { return limit.count() > 0 ? limit : m_defaultLimit; }

    HidLibrary& m_library;
    std::array<quint8, kOutputBufferSize> m_output{};
    std::array<quint8, kInputBufferSize> m_input{};
    qint16 m_dataread = 0;
    bool m_connected = false;
    bool m_attached = false;
    // The Telvar X this link holds: the first one plugged, and from then on that one alone, known by its
    // serial number (by its path when it reports none), wherever it comes back. Another Telvar X on the
    // same bus belongs to another window or program.
    bool m_holdsDevice = false;
    QString m_serialNumber;
    QString m_devicePath;
    HidLibrary::Handle m_handle = 0; // the held device's handle while it is attached
    bool m_sequenceRunning = false;
    Role m_role = Role::Job;
    QString m_name;
    bool m_cancelRequested = false;
    bool m_closing = false;
    Milliseconds m_pausePeriod;
    Milliseconds m_defaultLimit;
    std::vector<Waiter*> m_waiters;
};

} // namespace telvar
