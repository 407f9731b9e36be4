// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SessionJournal.h"

#include "device/Timings.h"
#include "journal/OperatorName.h"
#include "session/SessionController.h"

#include <QCoreApplication>
#include <QDateTime>

namespace telvar {

namespace {

using namespace std::chrono_literals;

// ISO 8601 with the offset always written out, "+00:00" included.
QString localTimeWithOffset(const QDateTime& time) {
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

SessionJournal::SessionJournal(const QString& path, QObject* parent)
    : QObject(parent), m_path(path), m_operator(operatorName()), m_writer(new JournalWriter) {
    m_thread.setObjectName(QStringLiteral("journal"));
    m_writer->moveToThread(&m_thread);
    connect(m_writer, &JournalWriter::problem, this, &SessionJournal::tell);
    connect(m_writer, &JournalWriter::sessionRecorded, this, &SessionJournal::sessionRecorded);
    m_thread.start(QThread::LowPriority);
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, path] { writer->open(path); });

    m_flushTimer.setInterval(Timings::scaled(1000ms));
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { flush(); });
}

SessionJournal::~SessionJournal() {
    if (m_recording)
        flush(SessionEnd::Interrupted);
    // Queued after every batch, so the writer gets through them first; it goes on its own thread, where
    // its connection was made.
    QMetaObject::invokeMethod(m_writer, [writer = m_writer] {
        delete writer;
        QThread::currentThread()->quit();
    });
    m_thread.wait();
    // What the writer said at the last moment still reaches whoever listens.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void SessionJournal::follow(SessionController& session) {
    connect(&session, &SessionController::asked, this,
            [this, &session](const QString& question, ResponseWindow window) {
                start(question, window, session.deviceSerial());
            });
    connect(&session, &SessionController::polled, this, [this](const SessionPoll& poll) {
        if (m_recording)
            m_pending.polls.push_back(poll);
    });
    connect(&session, &SessionController::wordAccepted, this, [this](const SessionWord& word) {
        if (!m_recording)
            return;
        m_pending.words.push_back(word);
        m_pending.answer += u' ' + word.word;
    });
    connect(&session, &SessionController::sessionEnded, this, [this](const QString& answer, SessionEnd end) {
        if (!m_recording)
            return;
        m_pending.answer = answer;
        flush(end);
    });
}

void SessionJournal::start(const QString& question, ResponseWindow window, const QString& device) {
    if (m_recording)
        flush(SessionEnd::Interrupted);
    m_recording = true;
    m_pending = {++m_lastToken, {}, {}, {}, std::nullopt};
    const QString started = localTimeWithOffset(QDateTime::currentDateTime());
    QMetaObject::invokeMethod(m_writer, [writer = m_writer, token = m_lastToken, started, window, question,
                                         device, who = m_operator] {
        writer->begin(token, started, static_cast<int>(window), question, device, who);
    });
    m_flushTimer.start();
}

void SessionJournal::flush(std::optional<SessionEnd> end) {
    if (!end && m_pending.polls.empty())
        return;
    m_pending.end = end;
    JournalWriter::Batch batch = m_pending;
    m_pending.polls.clear();
    m_pending.words.clear();
    if (end) {
        m_recording = false;
        m_flushTimer.stop();
    }
    QMetaObject::invokeMethod(m_writer,
                              [writer = m_writer, batch = std::move(batch)] { writer->write(batch); });
}

void SessionJournal::tell(const QString& text) {
    if (std::exchange(m_told, true))
        return;
    Q_EMIT problem(text);
}

} // namespace telvar
