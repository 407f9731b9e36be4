// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ProcessLock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telvar {

namespace {

constexpr std::chrono::milliseconds kRetryStep{25};
constexpr qint64 kHolderTextLimit = 4096;

QString systemReason(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// O_NONBLOCK: a FIFO put at the path must not hold the opener up; the fstat after the open refuses it.
// O_NOFOLLOW: a link at the path would make us lock, and later remove, whatever it leads to.
int openLockFile(const QByteArray& name, bool* readOnly) {
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    *readOnly = false;
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | flags, 0644);
    if (fd >= 0 || (errno != EACCES && errno != EROFS))
        return fd;
    // Someone else's lock file in a shared folder can still be locked through a descriptor for reading.
    *readOnly = true;
    return ::open(name.constData(), O_RDONLY | flags);
}

// The program by the name it was started with (telvarctl and telvar share an application name).
QByteArray holderText() {
    const QString program = QCoreApplication::instance()
                                ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                                : QString();
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n' + program.toUtf8() + '\n' +
           QSysInfo::machineHostName().toUtf8() + '\n';
}

} // namespace

ProcessLock::ProcessLock(const QString& lockFilePath) : m_path(lockFilePath) {}

ProcessLock::~ProcessLock() {
    release();
}

ProcessLock::Outcome ProcessLock::acquire(std::chrono::milliseconds limit) {
    if (isHeld())
        return Outcome::Held;
    const QDeadlineTimer deadline(limit);
    for (;;) {
        m_holder.clear();
        m_error.clear();
        switch (tryOnce()) {
        case Try::Taken:
            return Outcome::Held;
        case Try::CannotMake:
            return Outcome::NoLockFile;
        case Try::NotALockFile:
            return Outcome::NotALockFile;
        case Try::Busy:
            break;
        }
        if (deadline.hasExpired())
            break;
        std::this_thread::sleep_for(std::min(std::chrono::milliseconds(deadline.remainingTime()), kRetryStep));
    }
    if (m_holder.isEmpty())
        m_holder = QStringLiteral("another program");
    return Outcome::HeldByOther;
}

ProcessLock::Try ProcessLock::tryOnce() {
    const QByteArray name = QFile::encodeName(m_path);
    const QString shown = QDir::toNativeSeparators(m_path);
    bool readOnly = false;
    const int fd = openLockFile(name, &readOnly);
    if (fd < 0) {
        const int code = errno;
        // A link (refused by O_NOFOLLOW), a folder or a socket: there, but no file to lock.
        if (code == ELOOP || code == EISDIR || code == ENXIO) {
            m_error = QStringLiteral("%1 is not a regular file; it is not a lock file").arg(shown);
            return Try::NotALockFile;
        }
        m_error = QStringLiteral("%1 cannot be made (%2)").arg(shown, systemReason(code));
        return Try::CannotMake;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        m_error = QStringLiteral("%1 is not a regular file; it is not a lock file").arg(shown);
        return Try::NotALockFile;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        if (code == EWOULDBLOCK)
            readHolder(fd);
        ::close(fd);
        if (code == EWOULDBLOCK || code == EINTR)
            return Try::Busy;
        m_error = QStringLiteral("%1 cannot be locked (%2)").arg(shown, systemReason(code));
        return Try::CannotMake;
    }
    // The holder before us removes the file as it lets go; a lock taken on the file it removed would be
    // a lock on nothing, so it only counts while the path still leads to the file that was locked.
    struct stat atPath {};
    if (::lstat(name.constData(), &atPath) != 0 || !sameFile(atPath, opened)) {
        ::close(fd);
        return Try::Busy;
    }
    if (!readOnly) {
        const QByteArray text = holderText();
        // Who holds it is only a courtesy to those kept out: a full disk does not stop the lock.
        if (::ftruncate(fd, 0) == 0) {
            [[maybe_unused]] const auto written = ::pwrite(fd, text.constData(), size_t(text.size()), 0);
        }
    }
    m_fd = fd;
    return Try::Taken;
}

void ProcessLock::readHolder(int fd) {
    QByteArray text(kHolderTextLimit, '\0');
    const ssize_t got = ::pread(fd, text.data(), size_t(text.size()), 0);
    const QList<QByteArray> lines = text.left(std::max<ssize_t>(got, 0)).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).toLongLong(&ok);
    if (!ok || pid <= 0)
        return;
    const QString program = QString::fromUtf8(lines.value(1));
    const QString host = QString::fromUtf8(lines.value(2));
    m_holder = QStringLiteral("%1 (process %2)")
                   .arg(program.isEmpty() ? QStringLiteral("a program") : program)
                   .arg(pid);
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        m_holder += QStringLiteral(" on %1").arg(host);
}

void ProcessLock::release() {
    if (!isHeld())
        return;
    // Removed while still held, so that nobody can take the lock on a file about to vanish unnoticed.
    struct stat held {};
    struct stat atPath {};
    const QByteArray name = QFile::encodeName(m_path);
    if (::fstat(m_fd, &held) == 0 && ::lstat(name.constData(), &atPath) == 0 && sameFile(held, atPath))
        ::unlink(name.constData());
    ::close(m_fd);
    m_fd = -1;
}

} // namespace telvar
