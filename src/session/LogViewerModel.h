// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/SessionLogFile.h"

#include <QCoro/QCoroTask>
#include <QObject>

namespace telvar {

class Prompter;

// What the log viewer shows. Read Log puts the whole file, last line first, on top of what is shown
// already; Clear Log empties the viewer and erases the file once the user agrees.
class LogViewerModel : public QObject {
    Q_OBJECT
public:
    explicit LogViewerModel(SessionLogFile file = SessionLogFile(), QObject* parent = nullptr);

    const QString& text() const { return m_text; }
    const SessionLogFile& file() const { return m_file; }

    // A log that is missing or unreadable leaves the viewer as it is.
    void readLog();
    // True when the user agreed to erase.
    QCoro::Task<bool> clearLog(Prompter& prompter);

Q_SIGNALS:
    void textChanged(const QString& text);
    // A title-bar text: the file could not be erased.
    void problem(const QString& text);

private:
    void setText(QString text);

    SessionLogFile m_file;
    QString m_text;
};

} // namespace telvar
