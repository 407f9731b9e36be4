// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalWriter.h"

namespace telvar {

void JournalWriter::open(const QString& path) {
    m_path = path;
    QString aside;
    const bool opened = m_store.open(path, &aside);
    if (!aside.isEmpty())
        Q_EMIT problem(tr("The session journal %1 could not be read; it was renamed %2 and a new one begun")
                           .arg(path, aside));
    if (!opened)
        Q_EMIT problem(tr("Sessions are not kept: the session journal %1 cannot be used (%2)")
                           .arg(path, m_store.errorString()));
}

void JournalWriter::begin(quint64 token, const QString& started, int windowSeconds, const QString& question,
                          const QString& device, const QString& operatorName) {
    if (!m_store.isOpen())
        return;
    if (const qint64 id = m_store.begin(started, windowSeconds, question, device, operatorName); id > 0)
        m_ids[token] = id;
    else
        Q_EMIT problem(
            tr("The session journal %1 could not be written (%2)").arg(m_path, m_store.errorString()));
}

void JournalWriter::write(const Batch& batch) {
    const auto found = m_ids.find(batch.token);
    if (found == m_ids.end())
        return;
    const qint64 id = found->second;
    const bool written = m_store.record(id, batch.polls, batch.words, batch.answer, batch.end);
    // A session whose row is gone is not written again: the rest of it would land nowhere, or on a
    // session of someone else's.
    if (batch.end || !m_store.writesSession(id))
        m_ids.erase(found);
    if (!written) {
        Q_EMIT problem(
            tr("The session journal %1 could not be written (%2)").arg(m_path, m_store.errorString()));
        return;
    }
    if (batch.end)
        Q_EMIT sessionRecorded(id);
}

} // namespace telvar
