// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/ExternalUnit.h"

#include <algorithm>

namespace telvar {

void ExternalUnit::startTransfer(DeviceState& state, qint64 now) {
    state.unitWords.clear();
    m_transfer = true;
    m_hung = false;
    m_field.clear();
    m_lastActivity = now;
}

std::optional<quint8> ExternalUnit::takeCharacter(DeviceState& state, quint8 character, qint64 now) {
    m_lastActivity = std::max(m_lastActivity, now);
    m_field.append(static_cast<char>(character));
    if (m_field.size() < kFieldLength)
        return std::nullopt;
    state.unitWords.append(QString::fromLatin1(m_field));
    m_field.clear();
    if (state.unitWords.size() < m_capacity)
        return kMoreWords;
    m_transfer = false;
    return kFull;
}

void ExternalUnit::takeCommandCharacter(DeviceState& state, quint8 character, qint64 now) {
    const QString text(QChar::fromLatin1(static_cast<char>(character)));
    if (m_commandOpen && now - m_lastCommandCharacter < m_idleMs && !state.unitCommands.isEmpty())
        state.unitCommands.last().append(text);
    else
        state.unitCommands.append(text);
    if (state.unitCommands.size() > kKeptCommands)
        state.unitCommands.removeFirst();
    m_commandOpen = true;
    m_lastCommandCharacter = now;
}

void ExternalUnit::reset() {
    m_transfer = false;
    m_hung = false;
    m_field.clear();
    m_commandOpen = false;
}

} // namespace telvar
