// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SensorTrace.h"

#include "session/SessionController.h"

namespace telvar {

void SensorTrace::follow(SessionController& session) {
    connect(&session, &SessionController::asked, this,
            [this](const QString&, ResponseWindow window) { begin(window); });
    connect(&session, &SessionController::polled, this, [this](const SessionPoll& poll) {
        add(poll);
        Q_EMIT changed();
    });
    connect(&session, &SessionController::wordAccepted, this, [this](const SessionWord& word) {
        m_words.push_back(word);
        Q_EMIT changed();
    });
}

void SensorTrace::begin(ResponseWindow window) {
    m_windowMs = duration(window).count();
    m_polls.clear();
    m_words.clear();
    m_highestSum = 0;
    Q_EMIT changed();
}

void SensorTrace::add(const SessionPoll& poll) {
    m_polls.push_back(poll);
    m_highestSum = std::max(m_highestSum, readingSum(poll));
}

void SensorTrace::show(const JournalSession& session) {
    m_windowMs = qint64(session.window) * 1000;
    m_polls.clear();
    m_highestSum = 0;
    for (const SessionPoll& poll : session.polls)
        add(poll);
    m_words = session.words;
    Q_EMIT changed();
}

void SensorTrace::clear() {
    m_windowMs = 0;
    m_polls.clear();
    m_words.clear();
    m_highestSum = 0;
    Q_EMIT changed();
}

} // namespace telvar
