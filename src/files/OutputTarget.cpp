// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/OutputTarget.h"

#include "files/OwnFiles.h"
#include "files/RegularFileCheck.h"
#include "files/ReplaceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telvar {

namespace {

bool fail(QString* error, const QString& target, const QString& reason) {
    if (error)
        *error = QStringLiteral("%1: %2").arg(target, reason);
    return false;
}

QString systemReason(int code) {
    // The signal handlers are installed without SA_RESTART, so EINTR means the user asked to stop.
    if (code == EINTR)
        return QStringLiteral("interrupted before everything was written");
    return QString::fromLocal8Bit(std::strerror(code));
}

bool writeAll(int fd, const QByteArray& data, const QString& target, QString* error) {
    const char* next = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, size_t(left));
        if (written < 0)
            return fail(error, target, systemReason(errno));
        next += written;
        left -= written;
    }
    return true;
}

bool refuseOwnFile(const QString& target, QString* error) {
    const QString role = ownfiles::roleOf(target);
    return role.isEmpty() || fail(error, QDir::toNativeSeparators(target),
                                  QStringLiteral("is %1, which this program keeps; it was not replaced").arg(role));
}

bool isStream(const QByteArray& name) {
    struct stat info {};
    return ::stat(name.constData(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode));
}

} // namespace

bool checkOutputTarget(const QString& target, QString* error) {
    if (target == QLatin1String("-"))
        return true;
    if (!refuseOwnFile(target, error))
        return false;
    const QByteArray name = QFile::encodeName(target);
    if (isStream(name))
        return true;
    if (!mayReplace(target, error))
        return false;
    // The new file is made beside the old one, so it is the folder that must take it.
    const QString folder = QFileInfo(target).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return fail(error, QDir::toNativeSeparators(target), systemReason(errno));
    return true;
}

bool writeOutputTarget(const QString& target, const QByteArray& data, QString* error) {
    if (target == QLatin1String("-"))
        return writeAll(STDOUT_FILENO, data, QStringLiteral("standard output"), error);
    if (!refuseOwnFile(target, error))
        return false;
    const QByteArray name = QFile::encodeName(target);
    // Anything that is not a stream is for replaceFile, which also refuses what it must not replace.
    if (!isStream(name))
        return replaceFile(target, data, error);
    const QString shown = QDir::toNativeSeparators(target);
    // Not O_TRUNC, not O_CREAT: this only ever opens what is there; O_NOCTTY keeps a terminal from
    // becoming this process's controlling terminal.
    const int fd = ::open(name.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, shown, systemReason(errno));
    const bool written = writeAll(fd, data, shown, error);
    if (::close(fd) != 0 && written)
        return fail(error, shown, systemReason(errno));
    return written;
}

} // namespace telvar
