// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/SessionLogFile.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <functional>

namespace telvar {

// Appends the entries of one question-and-answer session to the log. The file is opened by the question
// and stays open until the answer has been written. Every entry is stamped with the date in the short
// and the time in the long format of the given locale without its time zone, back to back, and ends
// with an empty line. Line breaks inside an entry are written as they are: a question sent with Enter
// ends with CR LF, so its stamp starts a line of its own.
class SessionLogWriter {
public:
    using Clock = std::function<QDateTime()>;

    explicit SessionLogWriter(QString path = SessionLogFile::defaultPath(),
                              Clock clock = &QDateTime::currentDateTime, QLocale locale = QLocale::system());
    SessionLogWriter(const SessionLogWriter&) = delete;
    SessionLogWriter& operator=(const SessionLogWriter&) = delete;

    void setPath(const QString& path);
    const QString& path() const { return m_path; }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setLocale(const QLocale& locale) { m_locale = locale; }

    // "USER: " + the question without its leading and trailing blanks (line breaks stay) + stamp.
    bool writeQuestion(const QString& question);
    // "Telvar X  :" + answer + two blanks + stamp; the file is closed afterwards, also on failure.
    bool writeAnswerAndClose(const QString& answer);
    void close() { m_file.close(); }
    bool isOpen() const { return m_file.isOpen(); }

    // The reason of the last failed write.
    const QString& errorString() const { return m_error; }

    static QString trimBlanks(const QString& text);
    // A long time format without its time zone part: "HH:mm:ss t" gives "HH:mm:ss".
    static QString withoutTimeZone(const QString& timeFormat);

private:
    bool append(const QString& entry);
    QString stamp() const;

    QString m_path;
    QFile m_file; // opened through its descriptor, so it does not know the path
    Clock m_clock;
    QLocale m_locale;
    QString m_error;
};

} // namespace telvar
