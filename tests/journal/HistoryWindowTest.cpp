// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalStore.h"
#include "journal/SensorTrace.h"
#include "journal/SensorTracePainter.h"
#include "journal/SessionHistoryWindow.h"
#include "support/FakePrompter.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using namespace telvar;

class HistoryWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    test::FakePrompter m_prompter;
    std::unique_ptr<SessionHistoryWindow> m_window;

    QString journal() const { return m_dir.filePath(QStringLiteral("sessions.db")); }
    QTableView* table() const { return m_window->findChild<QTableView*>(QStringLiteral("historyTable")); }
    QStringList questions() const {
        QStringList shown;
        for (int row = 0; row < table()->model()->rowCount(); ++row)
            shown << table()->model()->index(row, SessionListModel::Question).data().toString();
        return shown;
    }

private Q_SLOTS:
    void init() {
        QFile::remove(journal());
        JournalStore store;
        QVERIFY(store.open(journal()));
        const std::tuple<const char*, const char*, int> kept[] = {
            {"Who is there?", " SUPPER", 5}, {"Is it late?", " CARRIER", 7}, {"Who wins?", "", 0}};
        for (const auto& [question, answer, reading] : kept) {
            const qint64 id = store.begin(QStringLiteral("2024-03-07T14:05:09+01:00"), 6, question, {}, {});
            const SessionPoll poll{200, {reading, 1, 2}, reading, {}, PollOutcome::OutsideRange};
            QVERIFY(id > 0 &&
                    store.record(id, {poll}, {}, QString::fromLatin1(answer), SessionEnd::WindowEnded));
        }
        m_window = std::make_unique<SessionHistoryWindow>(journal(), m_prompter);
    }

    void cleanup() { m_window.reset(); }

    // The chart, the history and the reports draw one line per stretch of readings taken: a line never
    // crosses a time without readings (an unplugged device), while a poll a little late is no gap.
    void theTraceBreaksWhereNoReadingsWereTaken_data() {
        QTest::addColumn<QList<qint64>>("moments"); // of the polls, in ms
        QTest::addColumn<QList<int>>("runs");       // the polls of each unbroken line
        QTest::newRow("steady") << QList<qint64>{200, 400, 600, 800} << QList<int>{4};
        QTest::newRow("one poll late") << QList<qint64>{200, 400, 800, 1000} << QList<int>{4};
        QTest::newRow("unplugged at 2.5 s for 5 s")
            << QList<qint64>{2200, 2400, 7400, 7600} << QList<int>{2, 2};
        QTest::newRow("a lone reading") << QList<qint64>{200, 1000, 2000, 2200} << QList<int>{1, 1, 2};
    }
    void theTraceBreaksWhereNoReadingsWereTaken() {
        QFETCH(QList<qint64>, moments);
        QFETCH(QList<int>, runs);
        JournalSession session;
        session.window = 12;
        for (const qint64 ms : moments)
            session.polls.push_back({ms, {10, 20, 30}, 10, {}, PollOutcome::OutsideRange});
        SensorTrace trace;
        trace.show(session);
        // A unit across is a millisecond: a segment longer than two polls spans a gap.
        for (int series = 0; series < SensorTracePainter::kSeriesCount; ++series) {
            QList<int> drawn;
            for (const QPolygonF& line : SensorTracePainter(trace).lines(series, QRectF(0, 0, 12000, 100))) {
                drawn << int(line.size());
                for (qsizetype i = 1; i < line.size(); ++i)
                    QVERIFY(line[i].x() - line[i - 1].x() <= 400);
            }
            QCOMPARE(drawn, runs);
        }
    }

    void listsNewestFirstAndSearchesQuestionsAndAnswers_data() {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("all") << QString() << QStringList{"Who wins?", "Is it late?", "Who is there?"};
        QTest::newRow("question") << "who" << QStringList{"Who wins?", "Who is there?"};
        QTest::newRow("answer") << "carrier" << QStringList{"Is it late?"};
        QTest::newRow("nothing") << "pluto" << QStringList{};
    }
    void listsNewestFirstAndSearchesQuestionsAndAnswers() {
        QFETCH(QString, search);
        QFETCH(QStringList, shown);
        m_window->findChild<QLineEdit*>(QStringLiteral("historySearch"))->setText(search);
        QCOMPARE(questions(), shown);
        QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("historyStatus"))->text(),
                 QStringLiteral("%1 of 3 sessions shown").arg(shown.size()));
        // Started reads as the user's locale writes it, not as the journal keeps it.
        if (!shown.isEmpty()) {
            const QDateTime started =
                QDateTime::fromString(QStringLiteral("2024-03-07T14:05:09+01:00"), Qt::ISODate);
            QCOMPARE(table()->model()->index(0, SessionListModel::Started).data().toString(),
                     QLocale().toString(started.toLocalTime(), QLocale::ShortFormat));
        }
    }

    void anExportGetsItsExtensionWhateverTheFolderIsCalled_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "/home/u/sessions"
                               << "/home/u/sessions.json";
        QTest::newRow("folder with a dot") << "/home/u.v/my.data/sessions"
                                           << "/home/u.v/my.data/sessions.json";
        QTest::newRow("own extension") << "/home/u/sessions.txt"
                                       << "/home/u/sessions.txt";
    }
    void anExportGetsItsExtensionWhateverTheFolderIsCalled() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(SessionHistoryWindow::withExtension(chosen, SessionHistoryWindow::Format::Json), written);
    }

    // Sessions name their device: the list narrows to one, and a session asked together with others (the
    // same question within a second on other devices) is drawn beside them.
    void devicesAreShownChosenAndComparedSideBySide() {
        {
            JournalStore store;
            QVERIFY(store.open(journal()));
            const std::tuple<const char*, const char*, const char*, int> kept[] = {
                {"2024-03-08T10:00:00+01:00", "Together?", "TX-A", 11},
                {"2024-03-08T10:00:01+01:00", "Together?", "TX-B", 12},
                {"2024-03-08T10:00:01+01:00", "Alone?", "TX-B", 13},
                {"2024-03-08T10:05:00+01:00", "Together?", "TX-B", 14}};
            for (const auto& [started, question, device, reading] : kept) {
                const qint64 id = store.begin(started, 6, question, device, QStringLiteral("ann@bench"));
                const SessionPoll poll{200, {reading, 1, 2}, reading, {}, PollOutcome::OutsideRange};
                QVERIFY(id > 0 && store.record(id, {poll}, {}, {}, SessionEnd::WindowEnded));
            }
        }
        m_window->reload();
        auto* device = m_window->findChild<QComboBox*>(QStringLiteral("historyDevice"));
        QCOMPARE(device->count(), 3);
        QCOMPARE(device->itemText(2), QStringLiteral("TX-B"));
        device->setCurrentIndex(1);
        QCOMPARE(questions(), QStringList{"Together?"});
        QCOMPARE(table()->model()->index(0, SessionListModel::Device).data().toString(),
                 QStringLiteral("TX-A"));

        table()->selectRow(0);
        QCOMPARE(m_window->trace().polls().front().readings[0], 11);
        QCOMPARE(m_window->companionTraces().size(), std::size_t(1));
        QCOMPARE(m_window->companionTraces().front()->polls().front().readings[0], 12);

        device->setCurrentIndex(2);
        QCOMPARE(questions(), (QStringList{"Together?", "Alone?", "Together?"}));
        table()->selectRow(0); // asked again five minutes later: alone
        QCOMPARE(m_window->trace().polls().front().readings[0], 14);
        QVERIFY(m_window->companionTraces().empty());
        table()->selectRow(1);
        QVERIFY(m_window->companionTraces().empty());
        table()->selectRow(2);
        QCOMPARE(m_window->companionTraces().size(), std::size_t(1));
    }

    void theSelectedSessionIsDrawnExportedAndDeletedOnlyOnYes() {
        table()->selectRow(1);
        QCOMPARE(m_window->trace().polls().size(), std::size_t(1));
        QCOMPARE(m_window->trace().polls().front().readings[0], 7);

        const QString exported = m_dir.filePath(QStringLiteral("one.json"));
        QVERIFY(m_window->exportTo(exported, SessionHistoryWindow::Format::Json, m_window->selectedIds()));
        QFile file(exported);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonArray sessions = QJsonDocument::fromJson(file.readAll()).array();
        QVERIFY(sessions.size() == 1 &&
                sessions.first()["question"].toString() == QStringLiteral("Is it late?"));

        m_prompter.answers.enqueue(false);
        m_window->deleteSelected();
        QCOMPARE(questions().size(), 3);
        m_window->deleteSelected(); // an empty queue answers Yes
        QCOMPARE(questions(), (QStringList{"Who wins?", "Who is there?"}));
        JournalStore store;
        QVERIFY(store.open(journal()));
        QCOMPARE(store.list().size(), std::size_t(2));
    }

    // Only a session that a live program still records is kept from deletion, and with it every other one
    // chosen at the same time; one that ended, or that a killed program left without its end, goes.
    void aSessionStillRecordedIsNotDeleted_data() {
        QTest::addColumn<QString>("recorder");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("still running") << "running" << false;
        QTest::newRow("ended") << "ended" << true;
        QTest::newRow("left by a killed program") << "killed" << true;
    }
    void aSessionStillRecordedIsNotDeleted() {
        QFETCH(QString, recorder);
        QFETCH(bool, deleted);
        auto store = std::make_unique<JournalStore>();
        QVERIFY(store->open(journal()));
        const qint64 id =
            store->begin(QStringLiteral("2024-03-09T08:00:00+01:00"), 24, QStringLiteral("Long?"), {}, {});
        QVERIFY(id > 0);
        const SessionPoll poll{200, {9, 1, 2}, 9, {}, PollOutcome::OutsideRange};
        QVERIFY(store->record(id, {poll}, {}, {},
                              recorder == QLatin1String("ended") ? std::optional(SessionEnd::WindowEnded)
                                                                 : std::nullopt));
        if (recorder == QLatin1String("killed"))
            store.reset(); // all a killed program leaves: its row, and no hold on it
        m_window->reload();
        table()->selectionModel()->select(
            QItemSelection(table()->model()->index(0, 0), table()->model()->index(1, 0)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(m_window->selectedIds(), (QList<qint64>{id, id - 1}));

        m_prompter.texts.clear();
        m_window->deleteSelected();
        const QStringList left = questions();
        QCOMPARE(left.contains(QStringLiteral("Long?")), !deleted);
        QCOMPARE(left.contains(QStringLiteral("Who wins?")), !deleted);
        QCOMPARE(m_prompter.texts.size(), 1);
        QCOMPARE(m_prompter.texts.first().contains(QStringLiteral("Session %1 is still running").arg(id)),
                 !deleted);
        if (store && !deleted) // the rest of it still reaches its row
            QVERIFY(store->record(id, {poll}, {}, QStringLiteral(" SUPPER"), SessionEnd::WindowEnded));
    }

    void theSelectedSessionsAreSavedAsAReportOfAPageEach() {
        auto* save = m_window->findChild<QPushButton*>(QStringLiteral("historySaveReport"));
        QVERIFY(!save->isEnabled());
        table()->selectionModel()->select(
            QItemSelection(table()->model()->index(0, 0), table()->model()->index(1, 0)),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(save->isEnabled());

        const QString pdf = m_dir.filePath(QStringLiteral("two.pdf"));
        QVERIFY(m_window->saveReport(pdf, m_window->selectedIds()));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
        QCOMPARE(QString::fromLatin1(file.readAll()).count(page), 2);

        const QString nowhere = m_dir.filePath(QStringLiteral("gone/r.svg"));
        QVERIFY(!m_window->saveReport(nowhere, m_window->selectedIds()));
        QVERIFY(!QFile::exists(nowhere));
        const QString said = m_window->findChild<QLabel*>(QStringLiteral("historyStatus"))->text();
        QVERIFY2(said.contains(QStringLiteral("not saved")), qPrintable(said));
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "HistoryWindowTest.moc"
