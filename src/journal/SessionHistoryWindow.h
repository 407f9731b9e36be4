#pragma once

#include "journal/JournalStore.h"
#include "journal/SensorTrace.h"
#include "journal/SessionListModel.h"

#include <QCoro/QCoroTask>
#include <QWidget>

#include <memory>
#include <vector>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace telvar {

class Prompter;

// The sessions kept in the journal, newest first, with a search over questions and answers and a choice of
// device; the selected session's trace is drawn as the live one is, beside the traces of the sessions
// asked together with it on other devices. Sessions can be exported, the selected ones or all, as JSON
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
    // The traces drawn beside it, of the sessions asked together with it, oldest first.
    const std::vector<std::unique_ptr<SensorTrace>>& companionTraces() const { return m_companions; }
    // Writes the sessions (all when `ids` is empty) to `path`; false with the reason shown otherwise.
    bool exportTo(const QString& path, Format format, const QList<qint64>& ids);
    QCoro::Task<> deleteSelected();

private:
    void showSelected();
    void showCompanions(const QList<qint64>& ids);
    void listDevices();
    void chooseExportFile(bool selectedOnly);
    void say(const QString& text);
    // How many sessions the search shows, out of how many the journal keeps.
    void showCount();

    QString m_journalPath;
    Prompter& m_prompter;
    JournalStore m_store;
    SessionListModel m_model;
    SensorTrace m_trace;
    std::vector<std::unique_ptr<SensorTrace>> m_companions;
    QLineEdit* m_search = nullptr;
    QComboBox* m_device = nullptr;
    QHBoxLayout* m_traces = nullptr; // the selected session's chart, then its companions'
    QTableView* m_table = nullptr;
    QPushButton* m_exportSelected = nullptr;
    QPushButton* m_delete = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace telvar
