// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalStore.h"
#include "session/SessionEnd.h"
#include "session/SessionPoll.h"

#include <QObject>

#include <map>
#include <optional>
#include <vector>

namespace telvar {

// The journal's writing end. It lives on a thread of its own with its own connection, so the batches of
// a session never hold up the thread that polls the device. Sessions are named by tokens of the caller's
// until the journal has given them their ids.
class JournalWriter : public QObject {
    Q_OBJECT
public:
    struct Batch {
        quint64 token = 0;
        std::vector<SessionPoll> polls;
        std::vector<SessionWord> words;
        QString answer;
        std::optional<SessionEnd> end;
    };

    void open(const QString& path);
    void begin(quint64 token, const QString& started, int windowSeconds, const QString& question,
               const QString& device, const QString& operatorName);
    void write(const Batch& batch);

Q_SIGNALS:
    // Something went wrong; the text is complete for a user.
    void problem(const QString& text);
    // A session's last batch is in the journal.
    void sessionRecorded(qint64 id);

private:
    JournalStore m_store;
    QString m_path;
    std::map<quint64, qint64> m_ids;
};

} // namespace telvar
