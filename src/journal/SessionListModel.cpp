// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SessionListModel.h"

#include "session/SessionEnd.h"

#include <QDateTime>
#include <QLocale>

namespace telvar {

QString SessionListModel::shownTime(const QString& isoTime) {
    // The journal keeps ISO 8601, for exports and other programs; the user reads the time as the
    // desktop writes it, in the local time zone.
    const QDateTime time = QDateTime::fromString(isoTime, Qt::ISODate);
    return time.isValid() ? QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) : isoTime;
}

int SessionListModel::totalCount() const {
    return int(m_sessions.size());
}

void SessionListModel::setSessions(std::vector<JournalSession> sessions) {
    beginResetModel();
    m_sessions = std::move(sessions);
    narrow();
    endResetModel();
}

void SessionListModel::setSearch(const QString& text) {
    beginResetModel();
    m_search = text.trimmed();
    narrow();
    endResetModel();
}

void SessionListModel::setDevice(const QString& serial) {
    beginResetModel();
    m_device = serial;
    narrow();
    endResetModel();
}

void SessionListModel::narrow() {
    m_shown.clear();
    for (int i = int(m_sessions.size()) - 1; i >= 0; --i) {
        const JournalSession& session = m_sessions[i];
        if ((m_device.isEmpty() || session.device == m_device) &&
            (m_search.isEmpty() || session.question.contains(m_search, Qt::CaseInsensitive) ||
             session.answer.contains(m_search, Qt::CaseInsensitive)))
            m_shown.push_back(i);
    }
}

QStringList SessionListModel::devices() const {
    QStringList serials;
    for (const JournalSession& session : m_sessions) {
        if (!session.device.isEmpty() && !serials.contains(session.device))
            serials << session.device;
    }
    serials.sort();
    return serials;
}

QList<qint64> SessionListModel::askedTogether(int row) const {
    const JournalSession& asked = m_sessions[m_shown[row]];
    const QDateTime started = QDateTime::fromString(asked.started, Qt::ISODate);
    QList<qint64> together;
    for (const JournalSession& other : m_sessions) {
        const QDateTime otherStarted = QDateTime::fromString(other.started, Qt::ISODate);
        const bool same = other.id == asked.id ||
                          (!asked.device.isEmpty() && other.device != asked.device &&
                           other.question == asked.question && started.isValid() && otherStarted.isValid() &&
                           std::abs(started.msecsTo(otherStarted)) <= kTogetherMs);
        if (same)
            together << other.id;
    }
    return together;
}

QList<qint64> SessionListModel::allIds() const {
    QList<qint64> ids;
    for (const JournalSession& session : m_sessions)
        ids << session.id;
    return ids;
}

int SessionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

int SessionListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SessionListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const JournalSession& session = m_sessions[m_shown[index.row()]];
    switch (index.column()) {
    case Started:
        return role == Qt::ToolTipRole ? session.end : shownTime(session.started);
    case Window:
        return session.window;
    case Question:
        return session.question.simplified();
    case Answer:
        // A session that lost readings must not pass for a whole one at a glance.
        if (session.end == endText(SessionEnd::ReadingsMissing))
            return role == Qt::ToolTipRole ? tr("Some of this session's readings could not be written")
                                           : tr("%1 (readings missing)").arg(session.answer.trimmed());
        return session.answer.trimmed();
    case Words:
        return session.wordCount;
    case Device:
        return role == Qt::ToolTipRole ? session.operatorName : session.device;
    case Operator:
        return session.operatorName;
    default:
        return {};
    }
}

QVariant SessionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Started:
        return tr("Started");
    case Window:
        return tr("Window (s)");
    case Question:
        return tr("Question");
    case Answer:
        return tr("Answer");
    case Words:
        return tr("Words");
    case Device:
        return tr("Device");
    case Operator:
        return tr("Operator");
    default:
        return {};
    }
}

} // namespace telvar
