// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalStore.h"
#include "journal/SensorTrace.h"
#include "journal/SessionListModel.h"
#include "journal/TeamJournalAddress.h"
#include "journal/TeamJournalQuery.h"

#include "journal/SessionReport.h"

#include <QCoro/QCoroTask>
#include <QPointer>
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
// or CSV, drawn as a report (PDF, SVG, PNG), and deleted after a question. A "Team" view reads the
// team journal instead.
class SessionHistoryWindow : public QWidget {
    Q_OBJECT
public:
    enum class Format { Json, Csv };

    SessionHistoryWindow(QString journalPath, Prompter& prompter, QWidget* parent = nullptr);
    // Lets a read of the team journal under way end first.
    ~SessionHistoryWindow() override;

    // The team journal the "Team" view reads; none leaves only this computer's sessions.
    void setTeamJournal(std::optional<TeamJournalAddress> address);
    // Shows this computer's sessions or the team's; the team's come from a thread, so the window stays
    // live while the server answers (or does not).
    void showTeam(bool team);
    bool showsTeam() const;

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
    // Draws the sessions, oldest first, into a report at `path`, its format chosen by the extension; false
    // with the reason shown otherwise.
    bool saveReport(const QString& path, const QList<qint64>& ids);
    QCoro::Task<> deleteSelected();

private:
    void showSelected();
    void showCompanions(const QList<qint64>& ids);
    void listDevices();
    void chooseExportFile(bool selectedOnly);
    void chooseReportFile();
    void say(const QString& text);
    // The message for a delete refused because these sessions are being recorded.
    static QString stillRunning(const QList<qint64>& ids);
    // Reads the team journal on a thread; `then` runs here with the answer.
    void askTeam(TeamJournalQuery::Kind kind, const QList<qint64>& ids,
                 std::function<void(const std::vector<JournalSession>&)> then);
    bool writeReport(const QString& path, sessionreport::Format format,
                     const std::vector<JournalSession>& sessions);
    bool writeExport(const QString& path, Format format, const std::vector<JournalSession>& sessions);
    // How many sessions the search shows, out of how many the journal keeps.
    void showCount();

    QString m_journalPath;
    Prompter& m_prompter;
    JournalStore m_store;
    SessionListModel m_model;
    SensorTrace m_trace;
    std::optional<TeamJournalAddress> m_team;
    std::vector<QPointer<QThread>> m_teamReads;
    QComboBox* m_source = nullptr;
    std::vector<std::unique_ptr<SensorTrace>> m_companions;
    QLineEdit* m_search = nullptr;
    QComboBox* m_device = nullptr;
    QHBoxLayout* m_traces = nullptr; // the selected session's chart, then its companions'
    QTableView* m_table = nullptr;
    QPushButton* m_exportSelected = nullptr;
    QPushButton* m_saveReport = nullptr;
    QPushButton* m_delete = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace telvar
