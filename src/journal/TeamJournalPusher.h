// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/TeamJournalAddress.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>

namespace telvar {

// What one push did: how many sessions went to the team journal (new there, or replacing a copy pushed
// before they ended), how many it held already (another copy of this journal pushed them), how many still
// wait on this computer, and, when it stopped short, why.
struct TeamPushResult {
    int pushed = 0;
    int alreadyThere = 0;
    int waiting = 0;
    QString error; // empty when every waiting session went
};

// Copies the finished sessions of the local journal to the team journal, on a thread of its own, so a
// session never waits for the network: a push is asked for after each session, runs at start and on a
// timer. A session goes once: the server keeps it under its UUID, and the local journal notes where it
// went only after the server took it, so a push cut short is simply done again.
class TeamJournalPusher : public QObject {
    Q_OBJECT
public:
    TeamJournalPusher(QString journalPath, TeamJournalAddress address, QObject* parent = nullptr);
    // Lets a push under way end (a connection attempt is bounded by the URL's connect_timeout).
    ~TeamJournalPusher() override;

    // Pushes soon on the worker thread; asked for while a push runs, one more follows it.
    void pushSoon();
    // Pushes every `period` as well.
    void pushEvery(std::chrono::milliseconds period);
    bool isPushing() const { return m_running; }

    // One push on the calling thread, for telvarctl: sessions go in batches until none waits, the server
    // fails, or *stop turns true.
    static TeamPushResult pushNow(const QString& journalPath, const TeamJournalAddress& address,
                                  const std::atomic_bool* stop = nullptr);

Q_SIGNALS:
    void finished(const TeamPushResult& result);

private:
    void done(const TeamPushResult& result);

    QString m_journalPath;
    TeamJournalAddress m_address;
    QThread m_thread;
    QObject* m_worker = nullptr; // lives on m_thread
    QTimer m_timer;
    std::atomic_bool m_stop = false;
    bool m_running = false;
    bool m_again = false;
};

} // namespace telvar

Q_DECLARE_METATYPE(telvar::TeamPushResult)
