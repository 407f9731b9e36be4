// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <chrono>
#include <map>
#include <optional>
#include <set>

namespace telvar {

// Faults of the virtual device, for tests and for trying the program's error paths:
//   drop:LETTER     never answer that command (case matters: drop:v is not drop:V)
//   unplug-after:N  the device leaves the bus once it has received N reports
//   refuse-after:N  the device takes N reports, then every write to it fails
//   delay:MS        every reply comes MS milliseconds late
//   delay:LETTER:MS the replies to that command come MS milliseconds late (on top of delay:MS)
//   unit-pace:MS    the external unit takes MS milliseconds over each word of a transfer
//   unit-silent     the external unit takes no word, so the device never answers one
//   unit-reply:N    the device answers each word the unit took with N in byte 1 instead of 0
class FaultSet {
public:
    static constexpr int kLongestDelayMs = 60000;

    // Adds one fault; returns an error text, empty when the words were understood.
    QString add(const QString& spec);

    bool drops(char letter) const { return m_dropped.contains(letter); }
    std::optional<qint64> unplugAfter() const { return m_unplugAfter; }
    std::optional<qint64> refuseAfter() const { return m_refuseAfter; }
    std::chrono::milliseconds delay() const { return m_delay; }
    // How late the reply to this command comes.
    std::chrono::milliseconds delay(char letter) const {
        const auto own = m_letterDelays.find(letter);
        return m_delay + (own == m_letterDelays.end() ? std::chrono::milliseconds{0} : own->second);
    }
    // Unset: the unit's own pace.
    std::optional<std::chrono::milliseconds> unitPace() const { return m_unitPace; }
    bool unitSilent() const { return m_unitSilent; }
    std::optional<quint8> unitReply() const { return m_unitReply; }
    bool isEmpty() const {
        return m_dropped.empty() && !m_unplugAfter && !m_refuseAfter && m_delay.count() == 0 &&
               m_letterDelays.empty() && !m_unitPace && !m_unitSilent && !m_unitReply;
    }

private:
    std::set<char> m_dropped;
    std::optional<qint64> m_unplugAfter;
    std::optional<qint64> m_refuseAfter;
    std::chrono::milliseconds m_delay{0};
    std::map<char, std::chrono::milliseconds> m_letterDelays;
    std::optional<std::chrono::milliseconds> m_unitPace;
    bool m_unitSilent = false;
    std::optional<quint8> m_unitReply;
};

} // namespace telvar
