// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/RunningSessions.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace telvar {

namespace {

#ifdef F_OFD_SETLK
constexpr int kSetLock = F_OFD_SETLK;
constexpr int kGetLock = F_OFD_GETLK;
#else
// POSIX record locks: closing any descriptor of the file in the recorder's process, the probe's included,
// lets go of them all. The best there is where open-file-description locks are not.
constexpr int kSetLock = F_SETLK;
constexpr int kGetLock = F_GETLK;
#endif

// O_NONBLOCK: a FIFO put at the path must not hold the opener up; the fstat after the open refuses it.
// O_NOFOLLOW: a link at the path would have us lock, or make, whatever it leads to.
constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

QString systemReason(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

struct flock byteOf(qint64 id, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = off_t(id);
    lock.l_len = 1;
    lock.l_pid = 0; // open-file-description locks want it zero
    return lock;
}

QString notARegularFile(const QString& path) {
    return QStringLiteral("%1 is not a regular file; it is not the journal's list of running sessions")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace

RunningSessions::~RunningSessions() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void RunningSessions::setPath(const QString& path) {
    if (path == m_path)
        return;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_held.clear();
    m_path = path;
}

bool RunningSessions::openToHold() {
    const QByteArray name = QFile::encodeName(m_path);
    // Looked at before it is opened: a device node is not even opened.
    struct stat there {};
    const bool found = ::lstat(name.constData(), &there) == 0;
    if (found && !S_ISREG(there.st_mode)) {
        m_error = notARegularFile(m_path);
        return false;
    }
    struct stat held {};
    if (m_fd >= 0 && found && ::fstat(m_fd, &held) == 0 && held.st_dev == there.st_dev &&
        held.st_ino == there.st_ino)
        return true;
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | kOpenFlags, 0600);
    if (fd < 0) {
        const int code = errno;
        m_error = code == ELOOP || code == EISDIR || code == ENXIO
                      ? notARegularFile(m_path)
                      : QStringLiteral("%1 cannot be made (%2)")
                            .arg(QDir::toNativeSeparators(m_path), systemReason(code));
        return false;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        m_error = notARegularFile(m_path);
        return false;
    }
    // Whoever may lock a byte of it could pass a session off as running, or keep a number from being
    // recorded.
    if ((opened.st_mode & 077) != 0 && opened.st_uid == ::geteuid())
        ::fchmod(fd, 0600);
    // The file was removed or replaced under the holds: locks on a file nobody can open again tell
    // nobody anything, so they move to the one now at the path.
    if (m_fd >= 0) {
        for (const qint64 id : m_held) {
            struct flock lock = byteOf(id, F_WRLCK);
            ::fcntl(fd, kSetLock, &lock);
        }
        ::close(m_fd);
    }
    m_fd = fd;
    return true;
}

bool RunningSessions::hold(qint64 id) {
    m_error.clear();
    if (!openToHold())
        return false;
    struct flock lock = byteOf(id, F_WRLCK);
    if (::fcntl(m_fd, kSetLock, &lock) != 0) {
        const int code = errno;
        m_error = code == EAGAIN || code == EACCES
                      ? QStringLiteral("session %1 is held by another program").arg(id)
                      : QStringLiteral("%1 cannot be locked (%2)")
                            .arg(QDir::toNativeSeparators(m_path), systemReason(code));
        return false;
    }
    m_held.insert(id);
    return true;
}

void RunningSessions::release(qint64 id) {
    if (m_held.erase(id) == 0 || m_fd < 0)
        return;
    struct flock lock = byteOf(id, F_UNLCK);
    ::fcntl(m_fd, kSetLock, &lock);
}

std::optional<QList<qint64>> RunningSessions::heldAmong(const QList<qint64>& ids) {
    m_error.clear();
    QList<qint64> held;
    if (ids.isEmpty())
        return held;
    const QByteArray name = QFile::encodeName(m_path);
    struct stat there {};
    if (::lstat(name.constData(), &there) != 0) {
        if (errno == ENOENT)
            return held; // nobody has recorded a session of this journal yet
        m_error = QStringLiteral("%1 cannot be read (%2)")
                      .arg(QDir::toNativeSeparators(m_path), systemReason(errno));
        return std::nullopt;
    }
    if (!S_ISREG(there.st_mode)) {
        m_error = notARegularFile(m_path);
        return std::nullopt;
    }
    // A descriptor of its own: the probe sees the locks of every other descriptor, this process's too.
    const int fd = ::open(name.constData(), O_RDONLY | kOpenFlags);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        const int code = errno;
        if (fd >= 0)
            ::close(fd);
        m_error = fd >= 0 || code == ELOOP || code == ENXIO
                      ? notARegularFile(m_path)
                      : QStringLiteral("%1 cannot be read (%2)")
                            .arg(QDir::toNativeSeparators(m_path), systemReason(code));
        return std::nullopt;
    }
    bool ok = true;
    for (const qint64 id : ids) {
        struct flock probe = byteOf(id, F_WRLCK);
        if (::fcntl(fd, kGetLock, &probe) != 0) {
            m_error = QStringLiteral("%1 cannot be read (%2)")
                          .arg(QDir::toNativeSeparators(m_path), systemReason(errno));
            ok = false;
            break;
        }
        if (probe.l_type != F_UNLCK || m_held.contains(id))
            held << id;
    }
    ::close(fd);
    return ok ? std::optional(held) : std::nullopt;
}

} // namespace telvar
