// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TeamJournalLink.h"

#include "journal/TeamJournal.h"
#include "journal/TeamJournalTrouble.h"

#include <QLabel>

namespace telvar {

namespace {

using namespace std::chrono_literals;

// Sessions that waited for a server that was away go this long after it is back, at the latest.
constexpr auto kPushPeriod = 2min;

} // namespace

TeamJournalLink::TeamJournalLink(QString journalPath, QLabel* status, QObject* parent)
    : QObject(parent), m_journalPath(std::move(journalPath)), m_status(status) {
    m_status->setObjectName(QStringLiteral("teamJournalState"));
    m_status->hide();
}

TeamJournalLink::~TeamJournalLink() {
    for (const QPointer<QThread>& trial : m_trials) {
        if (trial)
            trial->wait();
    }
}

bool TeamJournalLink::setUrl(const QString& url, QString* error) {
    std::optional<TeamJournalAddress> address;
    if (!url.trimmed().isEmpty()) {
        address = TeamJournalAddress::parse(url.trimmed(), error);
        if (!address)
            return false;
    }
    m_url = url.trimmed();
    m_address = std::move(address);
    m_lastError.clear();
    m_pusher.reset();
    m_status->setVisible(m_address.has_value());
    if (m_address) {
        m_status->setText(tr("Team journal: connecting"));
        m_status->setToolTip(m_address->shown());
        m_pusher = std::make_unique<TeamJournalPusher>(m_journalPath, *m_address);
        connect(m_pusher.get(), &TeamJournalPusher::finished, this, &TeamJournalLink::show);
        m_pusher->pushEvery(kPushPeriod);
        m_pusher->pushSoon();
    }
    Q_EMIT addressChanged();
    return true;
}

void TeamJournalLink::pushSoon() {
    if (m_pusher)
        m_pusher->pushSoon();
}

void TeamJournalLink::tryAddress(const TeamJournalAddress& address, QObject* receiver,
                                 std::function<void(const QString& failure)> then) {
    std::erase_if(m_trials, [](const QPointer<QThread>& trial) { return trial.isNull(); });
    QThread* thread = QThread::create([address, receiver = QPointer<QObject>(receiver), then, self = this] {
        TeamJournal team;
        const QString failure = team.reach(address) ? QString() : team.errorString();
        // The receiver is looked at on the link's thread only: that is where it could go away.
        QMetaObject::invokeMethod(self, [receiver, then, failure] {
            if (receiver)
                then(failure);
        });
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_trials.emplace_back(thread);
    thread->start();
}

void TeamJournalLink::show(const TeamPushResult& result) {
    m_status->setText(result.waiting > 0 ? tr("Team journal: %n session(s) waiting", nullptr, result.waiting)
                                         : tr("Team journal: up to date"));
    const QString details = result.error.isEmpty()
                                ? m_address->shown()
                                : QStringLiteral("%1\n%2").arg(m_address->shown(), result.error);
    m_status->setToolTip(details);
    // The status bar has room for one line: what to do about it and which server; the driver's text,
    // often several lines long, is for the tool tip and the log.
    if (!result.error.isEmpty() && result.error != m_lastError)
        Q_EMIT trouble(tr("Team journal %1 (%2)").arg(teamJournalTrouble(result.error), m_address->where()),
                       details);
    m_lastError = result.error;
}

} // namespace telvar
