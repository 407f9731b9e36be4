// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/IdentityLock.h"

#include "files/FileIdentity.h"

#include <QDeadlineTimer>
#include <QFile>

#include <algorithm>
#include <thread>

#include <sys/stat.h>

namespace telvar {

namespace {

constexpr std::chrono::milliseconds kRetryStep{25};

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

IdentityLock::IdentityLock(const QString& path)
    : m_place(fileidentity::placeOf(path)), m_lockFile(m_place + QStringLiteral(".lock")) {}

IdentityLock::~IdentityLock() {
    release();
}

QString IdentityLock::lockFileOf(const QString& path) {
    return fileidentity::placeOf(path) + QStringLiteral(".lock");
}

ProcessLock::Outcome IdentityLock::acquire(std::chrono::milliseconds limit) {
    if (isHeld())
        return ProcessLock::Outcome::Held;
    m_holder.clear();
    const QDeadlineTimer deadline(limit);
    const ProcessLock::Outcome outcome = m_lockFile.acquire(limit);
    if (outcome == ProcessLock::Outcome::HeldByOther)
        m_holder = m_lockFile.holder();
    if (outcome != ProcessLock::Outcome::Held && outcome != ProcessLock::Outcome::NoLockFile)
        return outcome;
    // The place is ours; a hard link elsewhere may still hold the file itself.
    while (!lockTheFile()) {
        if (deadline.hasExpired()) {
            m_lockFile.release();
            return ProcessLock::Outcome::HeldByOther;
        }
        std::this_thread::sleep_for(
            std::min(std::chrono::milliseconds(deadline.remainingTime()), kRetryStep));
    }
    return outcome;
}

bool IdentityLock::lockTheFile() {
    // Nothing there yet (the holder makes it and then follows it), or nothing a flock could be put on:
    // a FIFO or a device node is refused by whoever reads it.
    if (!isRegularFile(m_place)) {
        m_file.reset();
        return true;
    }
    auto lock = std::make_unique<NodeLock>(m_place);
    switch (lock->acquire()) {
    case NodeLock::Outcome::Held:
        m_file = std::move(lock);
        return true;
    case NodeLock::Outcome::HeldByOther:
        m_holder = lock->holder();
        return false;
    case NodeLock::Outcome::Failed:
        // Unreadable: its reader says so.
        m_file.reset();
        return true;
    }
    return true;
}

void IdentityLock::follow() {
    if (!m_lockFile.isHeld() && !m_file)
        return;
    // The old file's flock stays until the new one's is taken; only a hard link made to the new file in
    // between could take it first, and then the old flock is all there is.
    std::unique_ptr<NodeLock> old = std::move(m_file);
    if (!lockTheFile())
        m_file = std::move(old);
}

void IdentityLock::release() {
    m_file.reset();
    m_lockFile.release();
}

} // namespace telvar
