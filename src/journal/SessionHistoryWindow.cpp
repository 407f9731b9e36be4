// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SessionHistoryWindow.h"

#include "device/CloseKeys.h"
#include "device/Prompter.h"
#include "files/OutputTarget.h"
#include "journal/JournalExport.h"
#include "journal/SensorTraceChart.h"
#include "journal/SessionReport.h"
#include "journal/TeamJournalTrouble.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <cstdlib>
#include <memory>

namespace telvar {

SessionHistoryWindow::SessionHistoryWindow(QString journalPath, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), m_journalPath(std::move(journalPath)), m_prompter(prompter), m_model(this),
      m_trace(this) {
    setObjectName(QStringLiteral("sessionHistory"));
    setWindowTitle(tr("Session history"));

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("historySearch"));
    m_search->setPlaceholderText(tr("Search questions and answers"));
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, &m_model, &SessionListModel::setSearch);
    connect(m_search, &QLineEdit::textChanged, this, &SessionHistoryWindow::showCount);
    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("historyDevice"));
    m_device->setAccessibleName(tr("Device"));
    connect(m_device, &QComboBox::currentIndexChanged, this, [this] {
        m_model.setDevice(m_device->currentData().toString());
        showCount();
    });

    m_source = new QComboBox(this);
    m_source->setObjectName(QStringLiteral("historySource"));
    m_source->addItem(tr("This computer"));
    m_source->addItem(tr("Team"));
    m_source->setToolTip(tr("This computer's journal, or the team journal on the server"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(false);
    // Measured once from a sample rather than from every row: the journal may hold thousands.
    m_table->setColumnWidth(
        SessionListModel::Started,
        fontMetrics().horizontalAdvance(SessionListModel::shownTime(QStringLiteral("2000-12-28T23:59:59"))) +
            16);
    m_table->horizontalHeader()->setSectionResizeMode(SessionListModel::Question, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(SessionListModel::Answer, QHeaderView::Stretch);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SessionHistoryWindow::showSelected);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &SessionHistoryWindow::showSelected);

    m_exportSelected = new QPushButton(tr("Export selected..."), this);
    m_exportSelected->setObjectName(QStringLiteral("historyExportSelected"));
    auto* exportAll = new QPushButton(tr("Export all..."), this);
    exportAll->setObjectName(QStringLiteral("historyExportAll"));
    m_saveReport = new QPushButton(tr("Save report..."), this);
    m_saveReport->setObjectName(QStringLiteral("historySaveReport"));
    m_saveReport->setToolTip(tr("Draw the selected sessions as a PDF, SVG or PNG picture, a page each"));
    connect(m_saveReport, &QPushButton::clicked, this, &SessionHistoryWindow::chooseReportFile);
    m_delete = new QPushButton(tr("Delete..."), this);
    m_delete->setObjectName(QStringLiteral("historyDelete"));
    connect(m_exportSelected, &QPushButton::clicked, this, [this] { chooseExportFile(true); });
    connect(exportAll, &QPushButton::clicked, this, [this] { chooseExportFile(false); });
    connect(m_delete, &QPushButton::clicked, this, [this] { deleteSelected(); });
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("historyStatus"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_exportSelected);
    buttons->addWidget(exportAll);
    buttons->addWidget(m_saveReport);
    buttons->addWidget(m_delete);

    auto* traces = new QWidget(this);
    m_traces = new QHBoxLayout(traces);
    m_traces->setContentsMargins(0, 0, 0, 0);
    m_traces->addWidget(new SensorTraceChart(m_trace, traces));
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(traces);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 1);

    auto* filters = new QHBoxLayout;
    filters->addWidget(m_source);
    filters->addWidget(m_search, 1);
    filters->addWidget(m_device);
    auto* column = new QVBoxLayout(this);
    column->addLayout(filters);
    column->addWidget(split, 1);
    column->addLayout(buttons);
    resize(820, 560);
    setTeamJournal(std::nullopt);
    connect(m_source, &QComboBox::currentIndexChanged, this, [this] { reload(); });
    addCloseKeys(this);
    reload();
}

SessionHistoryWindow::~SessionHistoryWindow() {
    for (const QPointer<QThread>& read : m_teamReads) {
        if (read)
            read->wait();
    }
}

void SessionHistoryWindow::setTeamJournal(std::optional<TeamJournalAddress> address) {
    m_team = std::move(address);
    if (auto* model = qobject_cast<QStandardItemModel*>(m_source->model()))
        model->item(1)->setEnabled(m_team.has_value());
    m_source->setItemData(1,
                          m_team ? tr("The team journal at %1").arg(m_team->shown())
                                 : tr("No team journal is set (View, Team journal...)"),
                          Qt::ToolTipRole);
    if (!m_team && showsTeam())
        m_source->setCurrentIndex(0);
}

void SessionHistoryWindow::showTeam(bool team) {
    m_source->setCurrentIndex(team && m_team ? 1 : 0);
}

bool SessionHistoryWindow::showsTeam() const {
    return m_source->currentIndex() == 1;
}

void SessionHistoryWindow::askTeam(TeamJournalQuery::Kind kind, const QList<qint64>& ids,
                                   std::function<void(const std::vector<JournalSession>&)> then) {
    std::erase_if(m_teamReads, [](const QPointer<QThread>& read) { return read.isNull(); });
    m_teamReads.emplace_back(TeamJournalQuery::start(
        *m_team, kind, ids, this, [this, then, address = *m_team](const TeamJournalQuery::Answer& answer) {
            // One line for the window's status; the driver's text is in its tool tip.
            m_status->setToolTip(
                answer.sessions ? QString() : QStringLiteral("%1\n%2").arg(address.shown(), answer.error));
            if (answer.sessions)
                then(*answer.sessions);
            else
                say(tr("Team journal %1 (%2)").arg(teamJournalTrouble(answer.error), address.where()));
        }));
}

void SessionHistoryWindow::reload() {
    if (showsTeam()) {
        say(tr("Reading the team journal..."));
        askTeam(TeamJournalQuery::Kind::Listing, {}, [this](const std::vector<JournalSession>& sessions) {
            if (!showsTeam())
                return;
            say(tr("%n session(s) in the team journal", nullptr, int(sessions.size())));
            m_model.setSessions(sessions);
            listDevices();
        });
        return;
    }
    if (!m_store.isOpen() && !m_store.openToRead(m_journalPath)) {
        say(tr("The session journal %1 cannot be read (%2)").arg(m_journalPath, m_store.errorString()));
        m_model.setSessions({});
        return;
    }
    std::vector<JournalSession> sessions = m_store.list();
    m_model.setSessions(std::move(sessions));
    listDevices();
    if (!m_store.errorString().isEmpty())
        say(tr("The session journal could not be read (%1)").arg(m_store.errorString()));
    else
        showCount();
}

void SessionHistoryWindow::showCount() {
    const int total = m_model.totalCount();
    say(total == 1 ? tr("%1 of 1 session shown").arg(m_model.rowCount())
                   : tr("%1 of %2 sessions shown").arg(m_model.rowCount()).arg(total));
}

void SessionHistoryWindow::listDevices() {
    const QString chosen = m_device->currentData().toString();
    const QSignalBlocker quiet(m_device);
    m_device->clear();
    m_device->addItem(tr("All devices"), QString());
    for (const QString& serial : m_model.devices())
        m_device->addItem(serial, serial);
    // A device whose sessions were all deleted is no longer offered: every device is shown again.
    const int kept = m_device->findData(chosen);
    m_device->setCurrentIndex(std::max(kept, 0));
    m_model.setDevice(m_device->currentData().toString());
}

QList<qint64> SessionHistoryWindow::selectedIds() const {
    QList<qint64> ids;
    for (const QModelIndex& row : m_table->selectionModel()->selectedRows())
        ids << m_model.idAt(row.row());
    std::sort(ids.begin(), ids.end(), std::greater<>());
    return ids;
}

void SessionHistoryWindow::showSelected() {
    const QList<qint64> ids = selectedIds();
    m_exportSelected->setEnabled(!ids.isEmpty());
    m_saveReport->setEnabled(!ids.isEmpty());
    // The team journal is everyone's: sessions are deleted from it on the server, not from here.
    m_delete->setEnabled(!ids.isEmpty() && !showsTeam());
    if (ids.isEmpty()) {
        m_trace.clear();
        showCompanions({});
        return;
    }
    // The trace shows the session the selection began with, or the newest of several.
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    const bool currentSelected = current.isValid() && ids.contains(m_model.idAt(current.row()));
    const int row =
        currentSelected ? current.row() : m_table->selectionModel()->selectedRows().constFirst().row();
    const qint64 id = m_model.idAt(row);
    if (showsTeam()) {
        showCompanions({});
        askTeam(TeamJournalQuery::Kind::Whole, {id}, [this, id](const std::vector<JournalSession>& sessions) {
            if (showsTeam() && !sessions.empty() && selectedIds().contains(id))
                m_trace.show(sessions.front());
        });
        return;
    }
    const auto sessions = m_store.read({id});
    if (sessions && !sessions->empty())
        m_trace.show(sessions->front());
    else
        m_trace.clear();
    QList<qint64> companions = m_model.askedTogether(row);
    companions.removeOne(id);
    showCompanions(companions);
}

void SessionHistoryWindow::showCompanions(const QList<qint64>& ids) {
    // Every chart but the selected session's own goes, then one per session asked together with it.
    while (m_traces->count() > 1) {
        const std::unique_ptr<QLayoutItem> item(m_traces->takeAt(1));
        delete item->widget();
    }
    m_companions.clear();
    if (ids.isEmpty())
        return;
    const auto sessions = m_store.read(ids);
    if (!sessions)
        return;
    for (const JournalSession& session : *sessions) {
        auto trace = std::make_unique<SensorTrace>();
        trace->show(session);
        auto* box = new QGroupBox(session.device, this);
        box->setObjectName(QStringLiteral("historyCompanion"));
        auto* inside = new QVBoxLayout(box);
        inside->setContentsMargins(0, 0, 0, 0);
        inside->addWidget(new SensorTraceChart(*trace, box));
        m_traces->addWidget(box);
        m_companions.push_back(std::move(trace));
    }
}

void SessionHistoryWindow::chooseExportFile(bool selectedOnly) {
    const QList<qint64> ids = selectedOnly ? selectedIds() : QList<qint64>();
    const QString json = tr("Sessions with readings and words (*.json)");
    const QString csv = tr("Readings of every session (*.csv)");
    auto* dialog = new QFileDialog(this, tr("Export sessions"), QString(), json + QStringLiteral(";;") + csv);
    dialog->setObjectName(QStringLiteral("historyExportDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this, dialog, ids, csv](const QString& path) {
        const bool asCsv = dialog->selectedNameFilter() == csv;
        const Format format = asCsv ? Format::Csv : Format::Json;
        exportTo(withExtension(path, format), format, ids);
    });
    dialog->open();
}

QString SessionHistoryWindow::withExtension(const QString& path, Format format) {
    // Only the file's own name tells whether it has an extension; a folder's dot does not.
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + (format == Format::Csv ? QStringLiteral(".csv") : QStringLiteral(".json"));
}

bool SessionHistoryWindow::exportTo(const QString& path, Format format, const QList<qint64>& ids) {
    if (showsTeam()) {
        askTeam(TeamJournalQuery::Kind::Whole, ids,
                [this, path, format](const std::vector<JournalSession>& sessions) {
                    writeExport(path, format, sessions);
                });
        return true;
    }
    const auto sessions = m_store.read(ids);
    if (!sessions) {
        say(tr("The sessions could not be read (%1)").arg(m_store.errorString()));
        return false;
    }
    return writeExport(path, format, *sessions);
}

bool SessionHistoryWindow::writeExport(const QString& path, Format format,
                                       const std::vector<JournalSession>& sessions) {
    const QByteArray bytes =
        format == Format::Csv ? journalexport::pollsCsv(sessions) : journalexport::sessionsJson(sessions);
    if (QString error; !writeOutputTarget(path, bytes, &error)) {
        say(tr("Nothing was exported: %1").arg(error));
        return false;
    }
    say(tr("%n session(s) exported to %1", nullptr, int(sessions.size())).arg(path));
    return true;
}

void SessionHistoryWindow::chooseReportFile() {
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty())
        return;
    const QStringList filters{tr("PDF, a page per session (*.pdf)"), tr("SVG picture (*.svg)"),
                              tr("PNG picture (*.png)")};
    const QStringList suffixes{QStringLiteral(".pdf"), QStringLiteral(".svg"), QStringLiteral(".png")};
    auto* dialog = new QFileDialog(this, tr("Save report"), QString(), filters.join(QStringLiteral(";;")));
    dialog->setObjectName(QStringLiteral("historyReportDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, dialog, ids, filters, suffixes](const QString& path) {
                QString target = path;
                if (!sessionreport::formatOf(target))
                    target += suffixes.value(filters.indexOf(dialog->selectedNameFilter()), suffixes.first());
                saveReport(target, ids);
            });
    dialog->open();
}

bool SessionHistoryWindow::saveReport(const QString& path, const QList<qint64>& ids) {
    const auto format = sessionreport::formatOf(path);
    if (!format) {
        say(tr("%1: a report is a .pdf, .svg or .png file").arg(path));
        return false;
    }
    if (showsTeam()) {
        askTeam(TeamJournalQuery::Kind::Whole, ids,
                [this, path, format](const std::vector<JournalSession>& sessions) {
                    writeReport(path, *format, sessions);
                });
        return true;
    }
    const auto sessions = m_store.read(ids);
    if (!sessions || sessions->empty()) {
        say(tr("The sessions could not be read (%1)").arg(m_store.errorString()));
        return false;
    }
    return writeReport(path, *format, *sessions);
}

bool SessionHistoryWindow::writeReport(const QString& path, sessionreport::Format format,
                                       const std::vector<JournalSession>& sessions) {
    const QByteArray bytes = sessionreport::render(sessions, format);
    QString error;
    if (bytes.isEmpty())
        error = tr("%1: the report could not be drawn").arg(path);
    if (bytes.isEmpty() || !writeOutputTarget(path, bytes, &error)) {
        say(tr("The report was not saved (%1)").arg(error));
        return false;
    }
    say(tr("%n session(s) drawn in %1", nullptr, int(sessions.size())).arg(path));
    return true;
}

QCoro::Task<> SessionHistoryWindow::deleteSelected() {
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty())
        co_return;
    const QPointer<SessionHistoryWindow> self(this);
    // No question about what would be refused anyway; the delete looks again, since a session may begin
    // while the question is open.
    const auto running = m_store.runningAmong(ids);
    if (running && !running->isEmpty()) {
        co_await m_prompter.inform(stillRunning(*running));
        co_return;
    }
    const bool yes = co_await m_prompter.askYesNo(
        tr("Delete %n session(s) from the journal? They cannot be brought back.", nullptr, int(ids.size())));
    if (!self || !yes)
        co_return;
    if (!m_store.remove(ids)) {
        const auto runningNow = m_store.runningAmong(ids);
        if (runningNow && !runningNow->isEmpty()) {
            co_await m_prompter.inform(stillRunning(*runningNow));
            co_return;
        }
        say(tr("The sessions could not be deleted (%1)").arg(m_store.errorString()));
        co_return;
    }
    reload();
}

QString SessionHistoryWindow::stillRunning(const QList<qint64>& ids) {
    QStringList numbers;
    for (const qint64 id : ids)
        numbers << QString::number(id);
    return ids.size() == 1 ? tr("Session %1 is still running; nothing was deleted.").arg(numbers.first())
                           : tr("Sessions %1 are still running; nothing was deleted.")
                                 .arg(numbers.join(QStringLiteral(", ")));
}

void SessionHistoryWindow::say(const QString& text) {
    m_status->setText(text);
}

} // namespace telvar
