#include "cli/TeamPush.h"

#include "cli/CliContext.h"

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

} // namespace telvar::cli
