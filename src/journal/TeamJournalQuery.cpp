// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/TeamJournalQuery.h"

#include "journal/TeamJournal.h"

#include <QCoreApplication>
#include <QPointer>

namespace telvar {

QThread* TeamJournalQuery::start(const TeamJournalAddress& address, Kind kind, const QList<qint64>& ids,
                                 QObject* receiver, std::function<void(const Answer&)> then) {
    QThread* thread = QThread::create([address, kind, ids, receiver = QPointer<QObject>(receiver), then] {
        Answer answer;
        TeamJournal team;
        if (team.open(address)) {
            if (kind == Kind::Whole) {
                answer.sessions = team.read(ids);
            } else {
                std::vector<JournalSession> listed = team.list();
                if (team.errorString().isEmpty())
                    answer.sessions = std::move(listed);
            }
        }
        if (!answer.sessions)
            answer.error = team.errorString();
        // The receiver is looked at on the main thread only: that is where it could go away.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [receiver, then, answer] {
            if (receiver)
                then(answer);
        });
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

} // namespace telvar
