// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"
#include "session/ResponseWindow.h"
#include "session/SessionPoll.h"

#include <QObject>

#include <vector>

namespace telvar {

class SessionController;

// What a sensor trace chart draws: the polls of one session over its response window and the words it
// accepted. It follows a live session, keeping the last one until the next question, or shows one from
// the journal.
class SensorTrace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void follow(SessionController& session);
    void show(const JournalSession& session);
    void clear();

    qint64 windowMs() const { return m_windowMs; }
    const std::vector<SessionPoll>& polls() const { return m_polls; }
    const std::vector<SessionWord>& words() const { return m_words; }
    // The largest sum of the three readings, for the chart's scale.
    int highestSum() const { return m_highestSum; }

Q_SIGNALS:
    void changed();

private:
    void begin(ResponseWindow window);
    void add(const SessionPoll& poll);

    qint64 m_windowMs = 0;
    std::vector<SessionPoll> m_polls;
    std::vector<SessionWord> m_words;
    int m_highestSum = 0;
};

// The three readings added up.
inline int readingSum(const SessionPoll& poll) {
    return poll.readings[0] + poll.readings[1] + poll.readings[2];
}

} // namespace telvar
