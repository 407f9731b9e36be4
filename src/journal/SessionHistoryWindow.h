#pragma once

#include "journal/JournalStore.h"
#include "journal/SensorTrace.h"
#include "journal/SessionListModel.h"

#include <QCoro/QCoroTask>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace telvar {

class Prompter;

// The sessions kept in the journal, newest first, with a search over questions and answers; the selected
// session's trace is drawn as the live one is. Sessions can be exported, the selected ones or all, as JSON
// or CSV, and deleted after a question.
class SessionHistoryWindow : public QWidget {
    Q_OBJECT
public:
    enum class Format { Json, Csv };

    SessionHistoryWindow(QString journalPath, Prompter& prompter, QWidget* parent = nullptr);

    // Reads the journal again; the selection is lost.
    void reload();
    // The ids of the selected sessions, newest first.
    QList<qint64> selectedIds() const;
    const SensorTrace& trace() const { return m_trace; }
    // The file an export chosen as `path` goes to: the format's extension added when the name has none.
    static QString withExtension(const QString& path, Format format);
    // Writes the sessions (all when `ids` is empty) to `path`; false with the reason shown otherwise.
    bool exportTo(const QString& path, Format format, const QList<qint64>& ids);
    QCoro::Task<> deleteSelected();

private:
    void showSelected();
    void chooseExportFile(bool selectedOnly);
    void say(const QString& text);
    // How many sessions the search shows, out of how many the journal keeps.
    void showCount();

    QString m_journalPath;
    Prompter& m_prompter;
    JournalStore m_store;
    SessionListModel m_model;
    SensorTrace m_trace;
    QLineEdit* m_search = nullptr;
    QTableView* m_table = nullptr;
    QPushButton* m_exportSelected = nullptr;
    QPushButton* m_delete = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace telvar
