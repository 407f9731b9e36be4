// SPDX-License-Identifier: GPL-3.0-or-later
// The team journal on a throwaway PostgreSQL server: how long 10,000 sessions of 24 s (120 readings
// each) take to push (under a minute is the aim), and how long the history window's Team view takes to
// list 100,000 sessions (under a second).
//
// Usage: team_journal_push [SESSIONS] [LISTED]

#include "JournalFill.h"
#include "journal/SessionHistoryWindow.h"
#include "journal/SessionListModel.h"
#include "journal/TeamJournalPusher.h"
#include "support/ThrowawayPostgres.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

using namespace telvar;
using bench::NoPrompter;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int sessions = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int listed = argc > 2 ? std::atoi(argv[2]) : 100000;
    test::ThrowawayPostgres server;
    if (!server.start()) {
        std::fprintf(stderr, "no PostgreSQL server: %s\n", qPrintable(server.whyNot()));
        return 1;
    }
    qputenv("PGPASSWORD", test::ThrowawayPostgres::kPassword);
    QString error;
    const auto address = TeamJournalAddress::parse(server.url(), &error);
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("sessions.db"));
    if (!address || !bench::fillJournal(path, sessions, 120, QStringLiteral("ann@lab"))) {
        std::fprintf(stderr, "the journal could not be filled\n");
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    const TeamPushResult pushed = TeamJournalPusher::pushNow(path, *address);
    std::printf("pushing %d sessions            %8.3f s %s\n", pushed.pushed, timer.nsecsElapsed() / 1e9,
                qPrintable(pushed.error));

    // The rest of the listing from another computer, with few readings each: the listing reads none.
    const QString other = QDir(folder.path()).filePath(QStringLiteral("other.db"));
    if (!bench::fillJournal(other, std::max(0, listed - sessions), 2, QStringLiteral("bob@lab")) ||
        !TeamJournalPusher::pushNow(other, *address).error.isEmpty()) {
        std::fprintf(stderr, "the team journal could not be filled\n");
        return 1;
    }

    timer.restart();
    NoPrompter prompter;
    SessionHistoryWindow window(path, prompter);
    window.setTeamJournal(address);
    window.show();
    window.showTeam(true);
    auto* table = window.findChild<QTableView*>(QStringLiteral("historyTable"));
    while (table->model()->rowCount() < listed && timer.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("history Team view, %d listed %8.3f s\n", table->model()->rowCount(),
                timer.nsecsElapsed() / 1e9);
    return 0;
}
