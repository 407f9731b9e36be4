// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"

#include <QAbstractTableModel>

#include <vector>

namespace telvar {

// The journal's sessions for the history: newest first, narrowed to those whose question or answer holds
// the search text and, when one is chosen, to one device. Sessions asked together (the same question
// within a second on several devices) know each other.
class SessionListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Started, Window, Question, Answer, Words, Device, Operator, ColumnCount };
    // How far apart the starts of sessions asked together may lie.
    static constexpr qint64 kTogetherMs = 1000;

    using QAbstractTableModel::QAbstractTableModel;

    // Sessions oldest first, as the journal lists them.
    void setSessions(std::vector<JournalSession> sessions);
    void setSearch(const QString& text);
    // Only the sessions of the device with this serial number; every device when empty.
    void setDevice(const QString& serial);
    // The serial numbers the sessions name, sorted.
    QStringList devices() const;
    // The sessions asked together with the one at `row`, itself included, oldest first; only itself when
    // it was asked alone.
    QList<qint64> askedTogether(int row) const;
    qint64 idAt(int row) const { return m_sessions[m_shown[row]].id; }
    QList<qint64> allIds() const;
    // Sessions in the journal, whether the search shows them or not.
    int totalCount() const;
    // A journal time (ISO 8601) as the user's locale writes date and time.
    static QString shownTime(const QString& isoTime);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void narrow();

    std::vector<JournalSession> m_sessions;
    std::vector<int> m_shown; // indexes into m_sessions, newest first
    QString m_search;
    QString m_device;
};

} // namespace telvar
