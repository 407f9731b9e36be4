// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SessionRow.h"

#include <QSqlQuery>
#include <QVariant>

namespace telvar {

JournalSession sessionFromRow(const QSqlQuery& query) {
    JournalSession session;
    session.id = query.value(0).toLongLong();
    session.started = query.value(1).toString();
    session.window = query.value(2).toInt();
    session.question = query.value(3).toString();
    session.answer = query.value(4).toString();
    session.end = query.value(5).toString();
    session.device = query.value(6).toString();
    session.operatorName = query.value(7).toString();
    session.uuid = query.value(8).toString();
    return session;
}

} // namespace telvar
