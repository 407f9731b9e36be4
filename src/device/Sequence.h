// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/HidLibrary.h"
#include "device/WaitResult.h"

#include <QCoro/QCoroTask>
#include <QPointer>

#include <array>
#include <chrono>
#include <optional>
#include <span>

namespace telvar {

class DeviceLink;

// A running device sequence's hold on the Telvar X. The link hands out one at a time, and only through it
// can anything be sent or awaited; the device is free again once it is destroyed.
//
// Every step ends on its own and says how: a write when the report has gone out (or failed, or was not
// taken within the reply time limit), a reply wait on the reply, its time limit, unplug or cancel, a pause
// after its period, on unplug or cancel. A write is not cut short by cancel: a report that was due goes
// out. Once a write has failed, every later step of the sequence fails at once the same way.
class Sequence {
public:
    using Milliseconds = std::chrono::milliseconds;

    Sequence(Sequence&& other) noexcept;
    Sequence& operator=(Sequence&&) = delete;
    Sequence(const Sequence&) = delete;
    ~Sequence();

    // --- Sending ---------------------------------------------------------------------------------------
    // Byte 0 = 0, byte 1 = the letter, the given argument bytes from byte 2 on; the bytes after them keep
    // what earlier commands left there (the device ignores arguments a command does not use).
    QCoro::Task<WaitResult> command(char letter);
    QCoro::Task<WaitResult> command(char letter, quint8 first);
    QCoro::Task<WaitResult> command(char letter, quint8 first, quint8 second);
    // A report without command letter: byte 0 = 0, the data (at most eight bytes) from byte 1 on.
    QCoro::Task<WaitResult> data(std::span<const quint8> bytes);

    // --- Replies ---------------------------------------------------------------------------------------
    // `dataread` cleared, the command sent, its reply awaited (limit 0: the link's default).
    QCoro::Task<WaitResult> request(char letter, Milliseconds limit = Milliseconds{0});
    QCoro::Task<WaitResult> request(char letter, quint8 first, Milliseconds limit = Milliseconds{0});
    QCoro::Task<WaitResult> request(char letter, quint8 first, quint8 second,
                                    Milliseconds limit = Milliseconds{0});
    // The same with a word-memory address in bytes 2 (low) and 3 (high).
    QCoro::Task<WaitResult> requestAt(char letter, int address, Milliseconds limit = Milliseconds{0});
    // Waits for a report that arrived since `dataread` was last cleared.
    QCoro::Task<WaitResult> waitReply(Milliseconds limit = Milliseconds{0});
    // The same for a reply the device owes before it takes anything else (it is busy until it has sent
    // it): cancel does not end this wait, only the reply, the limit, unplug or close-down do.
    QCoro::Task<WaitResult> finishReply(Milliseconds limit = Milliseconds{0});
    void clearDataread();
    // Byte `index` of the last input report (0 the report id, 1-8 the data).
    quint8 reply(int index) const;
    const std::array<quint8, 9>& input() const;
    const std::array<quint8, 11>& output() const;

    // --- Pauses ----------------------------------------------------------------------------------------
    // `hold`: one tick of the shared pause timer at the period last set by any sequence.
    QCoro::Task<WaitResult> hold();
    // `dtimer`: whole seconds on the monotonic clock.
    QCoro::Task<WaitResult> dtimer(int seconds);
    QCoro::Task<WaitResult> pause(Milliseconds period);
    // A pause that cancel does not shorten (only unplug ends it early): for a device that must be left
    // alone before the next command, however the sequence ends.
    QCoro::Task<WaitResult> settle(Milliseconds period);
    // The pause timer's period is sticky: every later pause of every sequence runs at it.
    void setPausePeriod(Milliseconds period);

    // The user or the owner asked the sequence to stop; its waits end at once from now on.
    bool cancelRequested() const;

private:
    friend class DeviceLink;
    explicit Sequence(DeviceLink* link) : m_link(link) {}
    QCoro::Task<WaitResult> send(bool awaitReply, Milliseconds limit);
    DeviceLink& link() const { return *m_link; }

    QPointer<DeviceLink> m_link;
    std::optional<WaitResult> m_writeFailure;
};

} // namespace telvar
