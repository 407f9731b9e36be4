// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/TeamJournalAddress.h"
#include "journal/TeamJournalPusher.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>

#include <memory>
#include <optional>
#include <vector>

class QLabel;

namespace telvar {

// The window's side of the team journal: which server (the URL in the settings, or the one given for the
// run), the pusher that copies finished sessions there at start, after each session and every few
// minutes, and the status bar's word on how many sessions wait. A failure is said once, not at every try.
class TeamJournalLink : public QObject {
    Q_OBJECT
public:
    TeamJournalLink(QString journalPath, QLabel* status, QObject* parent = nullptr);
    // Lets the trials under way end.
    ~TeamJournalLink() override;

    // Points the link at `url` (empty: no team journal) and pushes at once; false, with the reason in
    // *error, for a URL that is no team journal's.
    bool setUrl(const QString& url, QString* error);
    QString url() const { return m_url; }
    const std::optional<TeamJournalAddress>& address() const { return m_address; }
    // A session was recorded: it may go now.
    void pushSoon();
    // Connects to `address` once on a thread of its own (no longer than its connect_timeout) and calls
    // `then` here with the driver's text, empty when the server took the user; not at all once
    // `receiver` is gone.
    void tryAddress(const TeamJournalAddress& address, QObject* receiver,
                    std::function<void(const QString& failure)> then);

Q_SIGNALS:
    // A push went wrong, in the background: `text` is one line for the status bar, `details` the
    // address and the driver's full text.
    void trouble(const QString& text, const QString& details);
    void addressChanged();

private:
    void show(const TeamPushResult& result);

    QString m_journalPath;
    QLabel* m_status;
    QString m_url;
    std::optional<TeamJournalAddress> m_address;
    std::unique_ptr<TeamJournalPusher> m_pusher;
    QString m_lastError;
    std::vector<QPointer<QThread>> m_trials;
};

} // namespace telvar
