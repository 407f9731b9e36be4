#pragma once

#include "journal/TeamJournalPusher.h"

#include <QCoro/QCoroTask>

namespace telvar::cli {

class CliContext;

// Pushes the waiting sessions of the journal to the team journal that --team-journal names, on the
// pusher's thread, while telvarctl keeps answering signals; Ctrl-C lets the batch under way end and stops.
QCoro::Task<TeamPushResult> pushToTeam(CliContext& context);

} // namespace telvar::cli
