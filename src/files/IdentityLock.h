// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/NodeLock.h"
#include "files/ProcessLock.h"

#include <QString>

#include <chrono>
#include <memory>

namespace telvar {

// One holder at a time for a data file that is replaced by renames (a virtual device's state file),
// whatever name it is reached by. Two locks make it: a lock file beside the file's place (links resolved,
// see fileidentity::placeOf), which keeps out every spelling of the path and every symbolic link to it,
// and a file made anew at that place while held, which the holder would replace at its next save; and
// a flock on the file itself, which keeps out a hard link, which shares the file but not its place.
// Every rename gives the file a new inode, so the holder moves that flock onto the new file with
// follow() after each replacement.
class IdentityLock {
public:
    explicit IdentityLock(const QString& path);
    ~IdentityLock();
    IdentityLock(const IdentityLock&) = delete;
    IdentityLock& operator=(const IdentityLock&) = delete;

    // The lock file of `path`: beside the file it leads to, not beside the link that was typed.
    static QString lockFileOf(const QString& path);

    // Waits for up to `limit` for a holder by either lock; the outcomes are those of ProcessLock (a file
    // that cannot be opened to be locked itself, being absent or unreadable, is left to its reader).
    ProcessLock::Outcome acquire(std::chrono::milliseconds limit);
    // After the holder replaced the file: the flock goes onto the file now at the place.
    void follow();
    void release();
    bool isHeld() const { return m_lockFile.isHeld(); }

    QString holder() const { return m_holder; }
    QString error() const { return m_lockFile.error(); }
    // The place the lock is on, by which two locks of one holder are known to be on one file.
    QString place() const { return m_place; }

private:
    // False when another holds the file itself; m_holder then says who.
    bool lockTheFile();

    QString m_place;
    ProcessLock m_lockFile;
    std::unique_ptr<NodeLock> m_file;
    QString m_holder;
};

} // namespace telvar
