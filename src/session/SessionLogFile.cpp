// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionLogFile.h"

#include "files/CappedRead.h"
#include "files/RegularFileCheck.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const auto failed = [error](const QString& reason) {
        if (error)
            *error = reason;
        return EraseResult::Failed;
    };
    // A FIFO, a device node or a folder by that name is not the log; it stays as it is.
    if (const QString kind = notRegularFileReason(m_path); !kind.isEmpty())
        return failed(kind);
    // Through a link, the log is the file it leads to; the link stays and leads to the next log.
    const QString file = QFileInfo(m_path).canonicalFilePath();
    if (file.isEmpty())
        return EraseResult::Missing;
    const QByteArray name = QFile::encodeName(file);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    QString reason;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        reason = QStringLiteral("is not a regular file");
    // A session writing its answer holds the log shared; erased under it, the log would come back
    // holding that answer alone.
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        reason = errno == EWOULDBLOCK ? QStringLiteral("a session is writing to it; erase it when the "
                                                       "session has ended")
                                      : QString::fromLocal8Bit(std::strerror(errno));
    else if (::unlink(name.constData()) != 0)
        reason = QString::fromLocal8Bit(std::strerror(errno));
    ::close(fd);
    return reason.isEmpty() ? EraseResult::Erased : failed(reason);
}

} // namespace telvar
