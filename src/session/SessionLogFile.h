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

    explicit SessionLogFile(QString path = defaultPath()) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }

    // The lines, oldest first, decoded and without their line ends. A line ends at CR (an LF right
    // after it belongs to the line end) or at the end of the file. Nothing when the file cannot be read.
    std::optional<QStringList> readLines() const;

    enum class EraseResult { Erased, Missing, Failed };
    // On Failed, `error` (when given) receives the reason.
    EraseResult erase(QString* error = nullptr) const;

private:
    QString m_path;
};

} // namespace telvar
