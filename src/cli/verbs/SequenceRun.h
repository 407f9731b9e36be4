// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliContext.h"
#include "cli/TerminalProgress.h"
#include "cli/Verb.h"
#include "device/DeviceSequence.h"
#include "device/SequenceOutcome.h"

#include <QObject>

namespace telvar::cli {

// The word-list verbs run the window's sequences; their progress becomes a bar on stderr (drawn only when
// stderr is a terminal).
inline void showProgress(DeviceSequence& sequence, TerminalProgress& bar) {
    QObject::connect(&sequence, &DeviceSequence::progressChanged, &sequence,
                     [&bar](int done, int total) { bar.update(done, total); });
}

// The exit status of a finished sequence; a failure or a refused confirmation is said on stderr.
inline int exitStatus(CliContext& context, const SequenceOutcome& outcome, const QString& whenDeclined) {
    switch (outcome.status) {
    case SequenceOutcome::Status::Completed:
        return kExitOk;
    case SequenceOutcome::Status::Declined:
        return context.fail(whenDeclined);
    case SequenceOutcome::Status::Busy:
    case SequenceOutcome::Status::Failed:
        break;
    }
    return context.fail(outcome.message);
}

} // namespace telvar::cli
