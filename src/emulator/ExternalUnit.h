// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/Timings.h"
#include "emulator/DeviceState.h"

#include <QByteArray>

#include <optional>

namespace telvar {

// The external speech unit behind the virtual device, as the device drives it.
//
// Word-list transfer: "v" puts the device in transfer mode; from then on every report is one character for
// the unit (byte 1 = byte 2 = the character), ten to a word. The unit takes each word at its own pace and
// the device answers once it has: 0 in the reply's byte 1, or 199 when the unit will take no more words.
// Transfer mode ends after that stop reply, after an idle spell, or when the device loses power; a half-sent
// word is then dropped. The idle spell is counted from the later of the last character and the device's
// own last reply, never while the unit is still taking a word: a slow unit does not end transfer mode.
// A new transfer replaces the words the unit held.
//
// How transfer mode ends, how long the idle spell is, the pace and the capacity are this model's choices:
// the device's description leaves them open (docs/virtual-device.md).
//
// Unit commands: "!" carries one character; consecutive "!" reports build one command, which ends at any
// other report or after an idle spell.
class ExternalUnit {
public:
    static constexpr int kFieldLength = 10;
    static constexpr int kDefaultCapacity = 4096;
    static constexpr qint64 kDefaultIdleMs = Timings::kUnitIdle.count();
    static constexpr qint64 kDefaultPaceMs = 1000; // inside the 0.9-1.3 s a word of a real unit
    static constexpr quint8 kMoreWords = 0;
    static constexpr quint8 kFull = 199;
    static constexpr int kKeptCommands = 1000; // the oldest commands are forgotten beyond this

    void setCapacity(int words) { m_capacity = words; }
    void setIdleMs(qint64 ms) { m_idleMs = ms; }
    qint64 idleMs() const { return m_idleMs; }

    void startTransfer(DeviceState& state, qint64 now);
    // The device's reply (to "v" or to a word) leaves at `when`; the idle spell starts no earlier.
    void replyLeavesAt(qint64 when) { m_lastActivity = std::max(m_lastActivity, when); }
    // True while reports are characters for the unit; an idle spell has ended transfer mode.
    bool inTransfer(qint64 now) const { return m_transfer && (m_hung || now - m_lastActivity < m_idleMs); }
    // A unit that stopped answering: the device waits for it, in transfer mode, until it loses power.
    void hang() { m_hung = m_transfer; }
    // One character of the transfer. When it completes a word, returns reply byte 1 for the device to send
    // once the unit has taken the word.
    std::optional<quint8> takeCharacter(DeviceState& state, quint8 character, qint64 now);

    void takeCommandCharacter(DeviceState& state, quint8 character, qint64 now);
    void endCommand() { m_commandOpen = false; }

    void reset();

private:
    int m_capacity = kDefaultCapacity;
    qint64 m_idleMs = kDefaultIdleMs;
    bool m_transfer = false;
    bool m_hung = false;
    QByteArray m_field;
    qint64 m_lastActivity = 0;
    bool m_commandOpen = false;
    qint64 m_lastCommandCharacter = 0;
};

} // namespace telvar
