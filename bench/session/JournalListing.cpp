// SPDX-License-Identifier: GPL-3.0-or-later
// A journal of 10,000 sessions of 24 s (120 readings each): how long `telvarctl sessions` takes to list
// them, and how long the history window takes to open over them. Both should stay within a second.
//
// Usage: journal_listing [SESSIONS]

#include "JournalFill.h"
#include "journal/SessionHistoryWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace telvar;
using bench::NoPrompter;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int sessions = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("sessions.db"));

    QElapsedTimer timer;
    timer.start();
    if (!bench::fillJournal(path, sessions, 120, QStringLiteral("bench@host"))) {
        std::fprintf(stderr, "the journal could not be filled\n");
        return 1;
    }
    std::printf("filling %d sessions          %8.3f s\n", sessions, timer.nsecsElapsed() / 1e9);

    timer.restart();
    QProcess listing;
    listing.start(QStringLiteral(TELVARCTL_PATH),
                  {QStringLiteral("--journal"), path, QStringLiteral("sessions")});
    listing.waitForFinished(-1);
    const qsizetype lines = listing.readAllStandardOutput().count('\n');
    std::printf("telvarctl sessions (%lld lines) %8.3f s\n", static_cast<long long>(lines),
                timer.nsecsElapsed() / 1e9);

    timer.restart();
    NoPrompter prompter;
    SessionHistoryWindow window(path, prompter);
    window.show();
    QApplication::processEvents();
    std::printf("history window open          %8.3f s\n", timer.nsecsElapsed() / 1e9);
    return 0;
}
