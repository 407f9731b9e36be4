// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <chrono>

namespace telvar {

// A lock file that one holder at a time holds, across processes and threads alike. The lock is the
// kernel's flock on the file, so it goes with its holder's descriptor: a holder that dies lets go, and
// other code of the holder's process closing some other descriptor of the file (as SQLite's POSIX locks
// would) does not. The file records who holds it (process id, program and host, in QLockFile's layout),
// so a process that is kept out can say by whom. It is made when taken and removed when let go. Only a
// regular file is ever opened as a lock file: a FIFO, a device node or a symbolic link at the path is
// refused, never opened for reading, never unlinked.
class ProcessLock {
public:
    enum class Outcome {
        Held,          // this holder holds it now
        HeldByOther,   // another holder kept it for the whole wait; holder() says who
        NoLockFile,    // the lock file cannot be made there (a folder nobody may write to); error() says why
        NotALockFile,  // something that is not a regular file lies at the path; error() says what
    };

    explicit ProcessLock(const QString& lockFilePath);
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;

    // Waits for up to `limit` for the holder to let go; a zero limit tries once.
    Outcome acquire(std::chrono::milliseconds limit);
    void release();
    bool isHeld() const { return m_fd >= 0; }

    // Who kept the lock at the last acquire: "PROGRAM (process N)", with " on HOST" when the holder runs
    // on another machine (a shared folder), or "another program" when the lock file did not say.
    QString holder() const { return m_holder; }
    QString error() const { return m_error; }
    QString path() const { return m_path; }

private:
    enum class Try { Taken, Busy, CannotMake, NotALockFile };
    Try tryOnce();
    void readHolder(int fd);

    QString m_path;
    int m_fd = -1;
    QString m_holder;
    QString m_error;
};

} // namespace telvar
