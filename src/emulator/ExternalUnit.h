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
// the unit (byte 1 = byte 2 = the character), ten to a word, and the device answers once per word. The
// reply's byte 1 is 199 when the unit will take no more words. Transfer mode ends after that stop reply,
// after an idle second without a report, or when the device loses power; a half-sent word is then dropped.
// A new transfer replaces the words the unit held.
//
// Unit commands: "!" carries one character; consecutive "!" reports build one command, which ends at any
// other report or after an idle second.
class ExternalUnit {
public:
    static constexpr int kFieldLength = 10;
    static constexpr int kDefaultCapacity = 4096;
    static constexpr qint64 kIdleMs = Timings::kUnitIdle.count();
    static constexpr quint8 kMoreWords = 0;
    static constexpr quint8 kFull = 199;
    static constexpr int kKeptCommands = 1000; // the oldest commands are forgotten beyond this

    void setCapacity(int words) { m_capacity = words; }

    void startTransfer(DeviceState& state, qint64 now);
    // True while reports are characters for the unit; an idle spell has ended transfer mode.
    bool inTransfer(qint64 now) const { return m_transfer && now - m_lastCharacter < kIdleMs; }
    // One character of the transfer. When it completes a word, returns reply byte 1 for the device to send.
    std::optional<quint8> takeCharacter(DeviceState& state, quint8 character, qint64 now);

    void takeCommandCharacter(DeviceState& state, quint8 character, qint64 now);
    void endCommand() { m_commandOpen = false; }

    void reset();

private:
    int m_capacity = kDefaultCapacity;
    bool m_transfer = false;
    QByteArray m_field;
    qint64 m_lastCharacter = 0;
    bool m_commandOpen = false;
    qint64 m_lastCommandCharacter = 0;
};

} // namespace telvar
