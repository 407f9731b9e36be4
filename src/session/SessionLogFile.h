// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace telvar {

// The session log file as a whole: what Read Log shows, what Clear Log erases and what `telvarctl log`
// prints. The name has no folder, so the file lies in the current directory.
class SessionLogFile {
public:
    static QString defaultPath() { return QStringLiteral("log.qnx"); }
    // Reading holds the whole log in memory (and again as text), so a log that grew past this is refused
    // with a word rather than read at any cost.
    static constexpr qint64 kMaxReadSize = 64 * 1024 * 1024;

    explicit SessionLogFile(QString path = defaultPath()) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }

    // The lines, oldest first, decoded and without their line ends. A line ends at CR (an LF right
    // after it belongs to the line end) or at the end of the file. Nothing when the file cannot be read;
    // then *missing says whether it is simply not there, and *error why (without the path).
    std::optional<QStringList> readLines(bool* missing = nullptr, QString* error = nullptr) const;

    enum class EraseResult { Erased, Missing, Failed };
    // On Failed, `error` (when given) receives the reason.
    EraseResult erase(QString* error = nullptr) const;

private:
    QString m_path;
};

} // namespace telvar
