// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/PollOutcomeText.h"

namespace telvar {

const char* notShownText(PollOutcome outcome) {
    switch (outcome) {
    case PollOutcome::Shown:
        return nullptr;
    case PollOutcome::OutsideRange:
        return "outside 1-2048";
    case PollOutcome::RecentlyShown:
        return "recently shown";
    case PollOutcome::ScreenHidden:
        return "screen hidden";
    }
    return nullptr;
}

PollOutcome outcomeFrom(bool shown, const QString& notShown) {
    if (shown)
        return PollOutcome::Shown;
    for (const PollOutcome outcome :
         {PollOutcome::OutsideRange, PollOutcome::RecentlyShown, PollOutcome::ScreenHidden}) {
        if (notShown == QLatin1String(notShownText(outcome)))
            return outcome;
    }
    return PollOutcome::OutsideRange;
}

} // namespace telvar
