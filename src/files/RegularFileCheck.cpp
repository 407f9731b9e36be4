// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RegularFileCheck.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace telvar {

namespace {

QString kindReason(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral("is a folder, not a regular file");
    if (S_ISCHR(mode))
        return QStringLiteral("is a character device, not a regular file");
    if (S_ISBLK(mode))
        return QStringLiteral("is a block device, not a regular file");
    if (S_ISFIFO(mode))
        return QStringLiteral("is a FIFO, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("is a socket, not a regular file");
    return QStringLiteral("is not a regular file");
}

} // namespace

QString notRegularFileReason(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        return kindReason(info.st_mode);
    const int code = errno;
    // Absent, or a link to something absent: the writer creates it, or says itself why it cannot.
    if (code == ENOENT)
        return {};
    if (code == ELOOP)
        return QStringLiteral("is a symbolic link that leads round in a loop, not a regular file");
    return QString::fromLocal8Bit(std::strerror(code));
}

bool mayReplace(const QString& path, QString* error) {
    const QString reason = notRegularFileReason(path);
    if (reason.isEmpty())
        return true;
    if (error)
        *error = QStringLiteral("%1: %2; it was not replaced").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

} // namespace telvar
