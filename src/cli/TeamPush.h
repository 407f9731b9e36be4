// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/TeamJournalPusher.h"

#include <QCoro/QCoroTask>

namespace telvar::cli {

class CliContext;

// Pushes the waiting sessions of the journal to the team journal that --team-journal names, on the
// pusher's thread, while telvarctl keeps answering signals; Ctrl-C lets the batch under way end and stops.
QCoro::Task<TeamPushResult> pushToTeam(CliContext& context);
// After the sessions a verb asked are in the journal: with --team-journal they go now; a failure is said
// on stderr with how many sessions wait, and changes no exit status (the sessions are kept here).
QCoro::Task<> pushAfterSessions(CliContext& context);

} // namespace telvar::cli
