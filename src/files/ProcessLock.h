#pragma once

#include <QString>

#include <chrono>
#include <memory>

class QLockFile;

namespace telvar {

// A lock file that one process at a time holds. The file records who holds it (process id, host and
// program), so a process that is kept out can say by whom, and a lock left behind by a process that died
// is taken over. It is not re-entrant: a second lock on the same file in the same process is kept out too.
class ProcessLock {
public:
    enum class Outcome {
        Held,        // this process holds it now
        HeldByOther, // another holder kept it for the whole wait; holder() says who
        NoLockFile,  // the lock file cannot be made there (a folder nobody may write to); error() says why
    };

    explicit ProcessLock(const QString& lockFilePath);
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;

    // Waits for up to `limit` for the holder to let go; a zero limit tries once.
    Outcome acquire(std::chrono::milliseconds limit);
    void release();
    bool isHeld() const { return m_held; }

    // Who kept the lock at the last acquire: "PROGRAM (process N)", or "another program" when the lock
    // file no longer said.
    QString holder() const { return m_holder; }
    QString error() const { return m_error; }
    QString path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_file;
    bool m_held = false;
    QString m_holder;
    QString m_error;
};

} // namespace telvar
