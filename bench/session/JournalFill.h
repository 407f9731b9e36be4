// SPDX-License-Identifier: GPL-3.0-or-later
// What the journal benchmarks share: a journal filled with made-up sessions, and boxes that ask nothing.
#pragma once

#include "device/Prompter.h"
#include "journal/JournalStore.h"

#include <vector>

namespace telvar::bench {

// Answers every question No; the benchmarks ask none.
class NoPrompter : public Prompter {
public:
    QCoro::Task<bool> askYesNo(QString, QString) override { co_return false; }
    QCoro::Task<bool> askOkCancel(QString, QString) override { co_return false; }
    QCoro::Task<SaveAnswer> askSaveDiscardCancel(QString, QString) override { co_return SaveAnswer::Cancel; }
    QCoro::Task<> inform(QString, QString) override { co_return; }
};

// `sessions` sessions of `readings` readings each (120 is a 24 s session), asked on two virtual devices
// in turn by `asker`.
inline bool fillJournal(const QString& path, int sessions, int readings, const QString& asker) {
    JournalStore store;
    if (!store.open(path))
        return false;
    for (int s = 0; s < sessions; ++s) {
        const qint64 id = store.begin(QStringLiteral("2024-03-07T14:05:09+01:00"), 24,
                                      QStringLiteral("Question number %1?").arg(s),
                                      QStringLiteral("SIM-%1").arg(s % 2), asker);
        std::vector<SessionPoll> polls;
        for (int p = 0; p < readings; ++p) {
            const int index = 1 + (s * 7 + p / 10) % 2048;
            polls.push_back({200 * (p + 1),
                             {index, p, 120 - p},
                             index,
                             QStringLiteral("WORD"),
                             p % 10 == 0 ? PollOutcome::Shown : PollOutcome::RecentlyShown});
        }
        const std::vector<SessionWord> words{{200, 1 + (s * 7) % 2048, QStringLiteral("WORD")}};
        if (id == 0 || !store.record(id, polls, words, QStringLiteral(" WORD"), SessionEnd::WindowEnded))
            return false;
    }
    return true;
}

} // namespace telvar::bench
