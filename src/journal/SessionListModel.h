#pragma once

#include "journal/JournalSession.h"

#include <QAbstractTableModel>

#include <vector>

namespace telvar {

// The journal's sessions for the history: newest first, narrowed to those whose question or answer holds
// the search text.
class SessionListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Started, Window, Question, Answer, Words, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // Sessions oldest first, as the journal lists them.
    void setSessions(std::vector<JournalSession> sessions);
    void setSearch(const QString& text);
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
};

} // namespace telvar
