// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/SessionPoll.h"

#include <QString>

#include <vector>

namespace telvar {

// One session as the journal keeps it. A listing fills the first fields and `wordCount` only; a session
// read whole has its words and polls too.
struct JournalSession {
    qint64 id = 0;
    QString started; // local time with its offset, ISO 8601
    int window = 0;  // seconds
    QString question;
    QString answer;
    QString end;          // as endText() writes it
    QString device;       // the serial number of the Telvar X asked; empty for sessions kept before serials
    QString operatorName; // user@host of the program that asked
    QString uuid;         // names the session wherever it is copied to
    int wordCount = 0;
    std::vector<SessionWord> words;
    std::vector<SessionPoll> polls;
};

} // namespace telvar
