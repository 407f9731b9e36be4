// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/SessionPoll.h"

#include <QString>

namespace telvar {

// Why a poll's word was not shown, as the journals keep it ("outside 1-2048", "recently shown",
// "screen hidden"); null for a word that was shown.
const char* notShownText(PollOutcome outcome);
// The outcome back from a journal's row.
PollOutcome outcomeFrom(bool shown, const QString& notShown);

} // namespace telvar
