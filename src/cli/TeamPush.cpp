// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TeamPush.h"

#include "cli/CliContext.h"
#include "journal/TeamJournalTrouble.h"

namespace telvar::cli {

QCoro::Task<TeamPushResult> pushToTeam(CliContext& context) {
    TeamPushResult result;
    result.error = QStringLiteral("interrupted");
    TeamJournalPusher pusher(context.journalPath(), *context.options().teamJournal);
    QObject::connect(&pusher, &TeamJournalPusher::finished,
                     [&result](const TeamPushResult& pushed) { result = pushed; });
    pusher.pushSoon();
    co_await context.waitUnlessInterrupted(&pusher, &TeamJournalPusher::finished);
    co_return result;
}

QCoro::Task<> pushAfterSessions(CliContext& context) {
    if (!context.options().teamJournal || context.interrupted())
        co_return;
    const TeamPushResult pushed = co_await pushToTeam(context);
    if (!pushed.error.isEmpty())
        context.err() << "telvarctl: " << teamJournalFailure(*context.options().teamJournal, pushed.error)
                      << "; " << pushed.waiting << (pushed.waiting == 1 ? " session waits" : " sessions wait")
                      << " on this computer" << Qt::endl;
}

} // namespace telvar::cli
