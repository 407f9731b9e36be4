// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/LogViewerModel.h"

#include "device/Prompter.h"

#include <QPointer>

namespace telvar {

LogViewerModel::LogViewerModel(SessionLogFile file, QObject* parent)
    : QObject(parent), m_file(std::move(file)) {}

void LogViewerModel::readLog() {
    bool missing = false;
    QString error;
    const std::optional<QStringList> lines = m_file.readLines(&missing, &error);
    // No log yet is nothing to speak of; one that is there and cannot be read is.
    if (!lines) {
        if (!missing)
            Q_EMIT problem(QStringLiteral("The log file could not be read (%1)").arg(error));
        return;
    }
    // Built front to back: prepending line by line would copy the whole text once per line.
    QString text;
    for (auto line = lines->crbegin(); line != lines->crend(); ++line)
        text += *line + u'\n';
    setText(text + m_text);
}

QCoro::Task<bool> LogViewerModel::clearLog(Prompter& prompter) {
    const QPointer<LogViewerModel> self(this);
    const bool agreed = co_await prompter.askOkCancel(QStringLiteral("This will Erase the Log File "),
                                                      QStringLiteral("Erase Log"));
    if (!self || !agreed)
        co_return false;
    setText(QString());
    QString error;
    // A log that is not there is already erased; one that cannot be removed is worth a word, since the
    // empty viewer would otherwise suggest it was.
    if (m_file.erase(&error) == SessionLogFile::EraseResult::Failed)
        Q_EMIT problem(QStringLiteral("The log file could not be erased (%1)").arg(error));
    co_return true;
}

void LogViewerModel::setText(QString text) {
    m_text = std::move(text);
    Q_EMIT textChanged(m_text);
}

} // namespace telvar
