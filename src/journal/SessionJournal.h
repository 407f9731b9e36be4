// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalWriter.h"
#include "session/ResponseWindow.h"

#include <QObject>
#include <QThread>
#include <QTimer>

namespace telvar {

class SessionController;

// Keeps every session it follows in the journal: the question when it is asked, then its polls and words
// in batches, at most once a second and at the end. The writing happens on a thread of its own; neither
// the session nor its log waits for it or depends on it.
class SessionJournal : public QObject {
    Q_OBJECT
public:
    explicit SessionJournal(const QString& path, QObject* parent = nullptr);
    // What is pending is written before the journal goes.
    ~SessionJournal() override;

    const QString& path() const { return m_path; }
    void follow(SessionController& session);

Q_SIGNALS:
    // Something went wrong with the journal: said once for the whole run, however often it goes wrong.
    void problem(const QString& text);
    // A finished session is in the journal.
    void sessionRecorded(qint64 id);

private:
    void start(const QString& question, ResponseWindow window, const QString& device);
    void flush(std::optional<SessionEnd> end = std::nullopt);
    void tell(const QString& text);

    QString m_path;
    QString m_operator;
    QThread m_thread;
    JournalWriter* m_writer;
    QTimer m_flushTimer;
    quint64 m_lastToken = 0;
    bool m_recording = false;
    JournalWriter::Batch m_pending;
    bool m_told = false;
};

} // namespace telvar
