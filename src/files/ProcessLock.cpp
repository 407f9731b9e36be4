#include "files/ProcessLock.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>

namespace telvar {

namespace {

// Far longer than a live holder takes between making its lock file and writing its name into it.
constexpr qint64 kUnnamedLockGraceMs = 1000;
constexpr std::chrono::milliseconds kRetryStep{100};

// A holder killed between making the lock file and writing its name into it leaves a file that names no
// process; such a file could never be seen as stale and would keep everyone out for good. Once it is old
// enough that no live holder can still be writing it, it is removed.
void removeUnnamedLock(QLockFile& file, const QString& path) {
    const QFileInfo info(path);
    qint64 pid = 0;
    QString host;
    QString program;
    if (!info.exists() || (file.getLockInfo(&pid, &host, &program) && pid > 0))
        return;
    if (info.lastModified().msecsTo(QDateTime::currentDateTime()) > kUnnamedLockGraceMs)
        file.removeStaleLockFile();
}

} // namespace

ProcessLock::ProcessLock(const QString& lockFilePath)
    : m_path(lockFilePath), m_file(std::make_unique<QLockFile>(lockFilePath)) {
    // A holder may keep the lock for a whole run, so the age of the file says nothing about whether it
    // is stale; only a holder that is no longer running leaves a stale lock.
    m_file->setStaleLockTime(0);
}

ProcessLock::~ProcessLock() {
    release();
}

ProcessLock::Outcome ProcessLock::acquire(std::chrono::milliseconds limit) {
    if (m_held)
        return Outcome::Held;
    m_holder.clear();
    m_error.clear();
    // Tried in short steps, so that a lock file that names nobody is taken over as soon as it is old
    // enough, not only at the start of the wait.
    const QDeadlineTimer deadline(limit);
    for (;;) {
        removeUnnamedLock(*m_file, m_path);
        const auto step = std::min(std::chrono::milliseconds(deadline.remainingTime()), kRetryStep);
        if (m_file->tryLock(step)) {
            m_held = true;
            return Outcome::Held;
        }
        if (m_file->error() != QLockFile::LockFailedError) {
            m_error = QStringLiteral("%1 cannot be made").arg(QDir::toNativeSeparators(m_path));
            return Outcome::NoLockFile;
        }
        if (deadline.hasExpired())
            break;
    }
    qint64 pid = 0;
    QString host;
    QString program;
    if (m_file->getLockInfo(&pid, &host, &program) && pid > 0)
        m_holder = QStringLiteral("%1 (process %2)")
                       .arg(program.isEmpty() ? QStringLiteral("a program") : program)
                       .arg(pid);
    else
        m_holder = QStringLiteral("another program");
    return Outcome::HeldByOther;
}

void ProcessLock::release() {
    if (!m_held)
        return;
    m_file->unlock();
    m_held = false;
}

} // namespace telvar
