// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/TeamJournalAddress.h"

#include <QString>

namespace telvar {

// What went wrong with the team journal, in a few words a user acts on ("unreachable: wrong password"),
// from the full text of the driver and the server, which goes to the tool tip and the log instead. The
// driver's text is libpq's English; a translated one reads as "failed: see the details".
QString teamJournalTrouble(const QString& error);

// "team journal postgresql://USER@HOST/DB unreachable: wrong password (the driver's text)", on one line,
// for telvarctl's messages.
QString teamJournalFailure(const TeamJournalAddress& address, const QString& error);

// The driver's text on one line, for a terminal or a log line.
QString oneLine(const QString& text);

} // namespace telvar
