// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"
#include "journal/TeamJournalAddress.h"

#include <QList>
#include <QObject>
#include <QThread>

#include <functional>
#include <optional>
#include <vector>

namespace telvar {

// Reads the team journal on a thread of its own, so a window never waits for the network: the listing
// (sessions without polls and words) or the named sessions whole. The answer comes on the main thread,
// where `receiver` lives, and not at all once the receiver is gone.
class TeamJournalQuery {
public:
    struct Answer {
        std::optional<std::vector<JournalSession>> sessions; // none on failure
        QString error;
    };
    enum class Kind { Listing, Whole };

    // The thread that asks; wait for it before the program ends.
    static QThread* start(const TeamJournalAddress& address, Kind kind, const QList<qint64>& ids,
                          QObject* receiver, std::function<void(const Answer&)> then);
};

} // namespace telvar
