// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Sequence.h"

#include "device/DeviceLink.h"

namespace telvar {

namespace {
QCoro::Task<WaitResult> at_once(WaitResult result) {
    co_return result;
}
} // namespace

Sequence::Sequence(Sequence&& other) noexcept
    : m_link(std::exchange(other.m_link, nullptr)), m_writeFailure(std::move(other.m_writeFailure)) {}

Sequence::~Sequence() {
    if (m_link)
        m_link->releaseSequence();
}

// The overloads fill the buffer before the step starts and hand `send` nothing that must live across a
// suspension (a braced argument list would not, with GCC 12).
QCoro::Task<WaitResult> Sequence::command(char letter) {
    if (m_link)
        link().setCommand(letter, {});
    return send(false, {});
}

QCoro::Task<WaitResult> Sequence::command(char letter, quint8 first) {
    if (m_link)
        link().setCommand(letter, {first});
    return send(false, {});
}

QCoro::Task<WaitResult> Sequence::command(char letter, quint8 first, quint8 second) {
    if (m_link)
        link().setCommand(letter, {first, second});
    return send(false, {});
}

QCoro::Task<WaitResult> Sequence::data(std::span<const quint8> bytes) {
    if (m_link)
        link().setData(bytes);
    return send(false, {});
}

QCoro::Task<WaitResult> Sequence::request(char letter, Milliseconds limit) {
    clearDataread();
    if (m_link)
        link().setCommand(letter, {});
    return send(true, limit);
}

QCoro::Task<WaitResult> Sequence::request(char letter, quint8 first, Milliseconds limit) {
    clearDataread();
    if (m_link)
        link().setCommand(letter, {first});
    return send(true, limit);
}

QCoro::Task<WaitResult> Sequence::request(char letter, quint8 first, quint8 second, Milliseconds limit) {
    clearDataread();
    if (m_link)
        link().setCommand(letter, {first, second});
    return send(true, limit);
}

QCoro::Task<WaitResult> Sequence::requestAt(char letter, int address, Milliseconds limit) {
    return request(letter, static_cast<quint8>(address % 256), static_cast<quint8>(address / 256), limit);
}

QCoro::Task<WaitResult> Sequence::send(bool awaitReply, Milliseconds limit) {
    if (m_writeFailure)
        co_return *m_writeFailure;
    if (!m_link)
        co_return WaitResult::Unplugged;
    const WaitResult written = co_await link().write();
    if (written == WaitResult::WriteFailed)
        m_writeFailure = written;
    if (!written.ok() || !awaitReply)
        co_return written;
    co_return co_await waitReply(limit);
}

QCoro::Task<WaitResult> Sequence::waitReply(Milliseconds limit) {
    if (m_writeFailure)
        return at_once(*m_writeFailure);
    if (!m_link)
        return at_once(WaitResult::Unplugged);
    return link().waitReply(limit);
}

QCoro::Task<WaitResult> Sequence::finishReply(Milliseconds limit) {
    if (m_writeFailure)
        return at_once(*m_writeFailure);
    if (!m_link)
        return at_once(WaitResult::Unplugged);
    return link().waitReply(limit, true);
}

void Sequence::clearDataread() {
    if (m_link)
        link().m_dataread = 0;
}

quint8 Sequence::reply(int index) const {
    return link().m_input.at(static_cast<std::size_t>(index));
}

const std::array<quint8, 9>& Sequence::input() const {
    return link().m_input;
}

const std::array<quint8, 11>& Sequence::output() const {
    return link().m_output;
}

QCoro::Task<WaitResult> Sequence::hold() {
    if (!m_link)
        return at_once(WaitResult::Unplugged);
    return pause(link().m_pausePeriod);
}

QCoro::Task<WaitResult> Sequence::dtimer(int seconds) {
    return pause(std::chrono::seconds(seconds));
}

QCoro::Task<WaitResult> Sequence::pause(Milliseconds period) {
    if (m_writeFailure)
        return at_once(*m_writeFailure);
    if (!m_link)
        return at_once(WaitResult::Unplugged);
    return link().pause(period);
}

QCoro::Task<WaitResult> Sequence::settle(Milliseconds period) {
    if (!m_link)
        return at_once(WaitResult::Unplugged);
    return link().settle(period);
}

void Sequence::setPausePeriod(Milliseconds period) {
    if (m_link)
        link().m_pausePeriod = period;
}

bool Sequence::cancelRequested() const {
    return m_link && m_link->cancelRequested();
}

} // namespace telvar
