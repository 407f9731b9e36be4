// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/NodeLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace telvar {

namespace {

// The process holding a flock on the file behind `fd`, from /proc/locks: its lines read
// "N: FLOCK ADVISORY WRITE PID MAJ:MIN:INODE START END", the device numbers in hex.
qint64 flockHolder(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return 0;
    const QByteArray file = QByteArray::number(major(info.st_dev), 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(minor(info.st_dev), 16).rightJustified(2, '0') + ':' +
                            QByteArray::number(quint64(info.st_ino));
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // A waiter's line carries "->" before its number and is not the holder.
        if (fields.size() >= 6 && fields.at(1) == "FLOCK" && fields.at(5) == file)
            return fields.at(4).toLongLong();
    }
    return 0;
}

QString programOf(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll().trimmed()) : QString();
}

} // namespace

NodeLock::NodeLock(const QString& nodePath) : m_path(nodePath) {}

NodeLock::~NodeLock() {
    release();
}

NodeLock::Outcome NodeLock::acquire() {
    if (m_fd >= 0)
        return Outcome::Held;
    m_holder.clear();
    m_error.clear();
    m_openError = 0;
    // Opened without a mode that reads or writes reports: the descriptor is there only to carry the lock.
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_openError = errno;
        m_error = QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return Outcome::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_fd = fd;
        return Outcome::Held;
    }
    const int error = errno;
    if (error != EWOULDBLOCK) {
        ::close(fd);
        m_error = QStringLiteral("%1 cannot be locked: %2")
                      .arg(m_path, QString::fromLocal8Bit(std::strerror(error)));
        return Outcome::Failed;
    }
    const qint64 pid = flockHolder(fd);
    ::close(fd);
    const QString program = pid > 0 ? programOf(pid) : QString();
    m_holder = pid > 0 ? QStringLiteral("%1 (process %2)")
                             .arg(program.isEmpty() ? QStringLiteral("a program") : program)
                             .arg(pid)
                       : QStringLiteral("another program");
    return Outcome::HeldByOther;
}

void NodeLock::release() {
    if (m_fd < 0)
        return;
    ::close(m_fd); // the lock goes with the last descriptor of this open
    m_fd = -1;
}

} // namespace telvar
