// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"

#include <QByteArray>

#include <vector>

namespace telvar::journalexport {

// One row per poll under "ms,reading1,reading2,reading3,index,word,shown"; shown is 1 or 0.
QByteArray traceCsv(const std::vector<SessionPoll>& polls);
// The polls of every session in the trace's form, each row led by the session's id and device serial.
QByteArray pollsCsv(const std::vector<JournalSession>& sessions);
// An array of sessions, each with its device serial, operator (user@host), words and polls.
QByteArray sessionsJson(const std::vector<JournalSession>& sessions);

} // namespace telvar::journalexport
