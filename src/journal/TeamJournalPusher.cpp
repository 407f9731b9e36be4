// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/TeamJournalPusher.h"

#include "journal/JournalStore.h"
#include "journal/TeamJournal.h"

#include <QPointer>

namespace telvar {

namespace {

// Sessions per transaction on the server: few round trips, and a failure loses little work.
constexpr int kBatch = 200;

} // namespace

TeamJournalPusher::TeamJournalPusher(QString journalPath, TeamJournalAddress address, QObject* parent)
    : QObject(parent), m_journalPath(std::move(journalPath)), m_address(std::move(address)) {
    qRegisterMetaType<TeamPushResult>();
    m_thread.setObjectName(QStringLiteral("team journal"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
    connect(&m_timer, &QTimer::timeout, this, &TeamJournalPusher::pushSoon);
}

TeamJournalPusher::~TeamJournalPusher() {
    m_stop = true;
    m_thread.quit();
    m_thread.wait();
}

void TeamJournalPusher::pushSoon() {
    if (m_running) {
        m_again = true;
        return;
    }
    m_running = true;
    const QPointer<TeamJournalPusher> self(this);
    QMetaObject::invokeMethod(m_worker, [self, path = m_journalPath, address = m_address, stop = &m_stop] {
        const TeamPushResult result = pushNow(path, address, stop);
        // The pusher waits for this thread before it goes, so `self` is only checked, never raced.
        if (self)
            QMetaObject::invokeMethod(self.data(), [self, result] {
                if (self)
                    self->done(result);
            });
    });
}

void TeamJournalPusher::pushEvery(std::chrono::milliseconds period) {
    m_timer.start(period);
}

void TeamJournalPusher::done(const TeamPushResult& result) {
    m_running = false;
    Q_EMIT finished(result);
    if (m_again && result.error.isEmpty()) {
        m_again = false;
        pushSoon();
    }
    m_again = false;
}

TeamPushResult TeamJournalPusher::pushNow(const QString& journalPath, const TeamJournalAddress& address,
                                          const std::atomic_bool* stop) {
    TeamPushResult result;
    JournalStore local;
    if (!local.open(journalPath)) {
        result.error = QStringLiteral("the session journal %1 cannot be read (%2)")
                           .arg(journalPath, local.errorString());
        return result;
    }
    const QString server = address.name();
    TeamJournal team;
    if (team.open(address)) {
        while (!(stop && *stop)) {
            const auto batch = local.waitingFor(server, kBatch);
            if (!batch) {
                result.error =
                    QStringLiteral("the session journal could not be read (%1)").arg(local.errorString());
                break;
            }
            if (batch->empty())
                break;
            const auto counts = team.push(*batch);
            if (!counts) {
                result.error = team.errorString();
                break;
            }
            QStringList uuids;
            for (const JournalSession& session : *batch)
                uuids << session.uuid;
            if (!local.markPushed(uuids, server)) {
                result.error = QStringLiteral("the session journal could not note the push (%1)")
                                   .arg(local.errorString());
                break;
            }
            result.pushed += counts->added + counts->replaced;
            result.alreadyThere += counts->alreadyThere;
        }
    } else {
        result.error = team.errorString();
    }
    result.waiting = local.waitingCount(server).value_or(0);
    return result;
}

} // namespace telvar
