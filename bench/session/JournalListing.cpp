// SPDX-License-Identifier: GPL-3.0-or-later
// A journal of 10,000 sessions of 24 s (120 readings each): how long `telvarctl sessions` takes to list
// them, and how long the history window takes to open over them. Both should stay within a second.
//
// Usage: journal_listing [SESSIONS]

#include "device/Prompter.h"
#include "journal/JournalStore.h"
#include "journal/SessionHistoryWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace telvar;

namespace {

// Answers every question No; the benchmark asks none.
class NoPrompter : public Prompter {
public:
    QCoro::Task<bool> askYesNo(QString, QString) override { co_return false; }
    QCoro::Task<bool> askOkCancel(QString, QString) override { co_return false; }
    QCoro::Task<> inform(QString, QString) override { co_return; }
};

bool fill(const QString& path, int sessions) {
    JournalStore store;
    if (!store.open(path))
        return false;
    for (int s = 0; s < sessions; ++s) {
        const qint64 id = store.begin(QStringLiteral("2024-03-07T14:05:09+01:00"), 24,
                                      QStringLiteral("Question number %1?").arg(s),
                                      QStringLiteral("SIM-%1").arg(s % 2), QStringLiteral("bench@host"));
        std::vector<SessionPoll> polls;
        for (int p = 0; p < 120; ++p) {
            const int index = 1 + (s * 7 + p / 10) % 2048;
            polls.push_back({200 * (p + 1),
                             {index, p, 120 - p},
                             index,
                             QStringLiteral("WORD"),
                             p % 10 == 0 ? PollOutcome::Shown : PollOutcome::RecentlyShown});
        }
        const std::vector<SessionWord> words{{200, polls.front().index, QStringLiteral("WORD")}};
        if (id == 0 || !store.record(id, polls, words, QStringLiteral(" WORD"), SessionEnd::WindowEnded))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int sessions = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("sessions.db"));

    QElapsedTimer timer;
    timer.start();
    if (!fill(path, sessions)) {
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
