// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/AppendFile.h"

#include "files/RegularFileCheck.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telvar {

bool openRegularForAppend(QFile& file, const QString& path, QString* reason) {
    if (QString kind = notRegularFileReason(path); !kind.isEmpty()) {
        *reason = std::move(kind);
        return false;
    }
    // The check above and this open are two steps; O_NONBLOCK keeps a FIFO put in between from blocking,
    // and fstat below catches it.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        *reason = QStringLiteral("is not a regular file");
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        *reason = file.errorString();
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace telvar
