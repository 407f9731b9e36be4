#include "session/SessionLogFile.h"

#include "files/CappedRead.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"

#include <QFile>

namespace telvar {

std::optional<QStringList> SessionLogFile::readLines(bool* missing, QString* error) const {
    const CappedRead file = readCapped(m_path, kMaxReadSize);
    if (missing)
        *missing = file.status == CappedRead::Status::Missing;
    if (!file.ok()) {
        if (error)
            *error = file.status == CappedRead::Status::TooLarge
                         ? QStringLiteral("the log is too large to be read (more than %1 MB); Clear Log "
                                          "erases it")
                               .arg(kMaxReadSize / (1024 * 1024))
                         : file.reason;
        return std::nullopt;
    }

    // The log's lines end like those of the word-list files.
    QStringList lines;
    for (const QByteArray& line : LineFile::split(file.data))
        lines << cp1252::decode(line);
    return lines;
}

SessionLogFile::EraseResult SessionLogFile::erase(QString* error) const {
    QFile file(m_path);
    if (!file.exists())
        return EraseResult::Missing;
    if (file.remove())
        return EraseResult::Erased;
    if (error)
        *error = file.errorString();
    return EraseResult::Failed;
}

} // namespace telvar
