// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"

class QSqlQuery;

namespace telvar {

// A session's own fields from the row a query stands on, whose first nine columns are, in this order:
// id, started, window, question, answer, end reason, device, operator, uuid. Both journals, the local one
// and the team's, list their sessions in that order.
JournalSession sessionFromRow(const QSqlQuery& query);

} // namespace telvar
