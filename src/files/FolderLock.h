// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/ProcessLock.h"

#include <QString>

#include <chrono>

namespace telvar {

// Turns for the read-modify-write of the word-list and editor files of one data folder: whoever reads
// the files to write them again holds this lock from the read to the last rename, so two programs
// editing the same folder apply their edits one after the other instead of one undoing the other.
// Held for the length of one such step only, never while a user thinks or a device works.
class FolderLock {
public:
    static constexpr const char* kFileName = ".telvar-words.lock";
    // A holder needs milliseconds; a holder that keeps it this long is stuck.
    static constexpr std::chrono::milliseconds kWaitLimit{10000};
    // A window does not freeze for a stuck holder: it says so at once.
    static constexpr std::chrono::milliseconds kWindowWaitLimit{1000};

    // Takes the lock of the folder, waiting for up to `limit`.
    explicit FolderLock(const QString& folder, std::chrono::milliseconds limit = kWaitLimit);

    // False when another program kept the lock for the whole wait, or something that is no lock file lies
    // in its place. A folder where no lock file can be made is one where nobody can replace a file
    // either, so it counts as locked.
    bool isLocked() const {
        return m_outcome == ProcessLock::Outcome::Held || m_outcome == ProcessLock::Outcome::NoLockFile;
    }
    // For a lock that was not taken: "the word-list files in FOLDER are in use by PROGRAM (process N)",
    // or what lies in the lock file's place.
    QString error() const;

private:
    QString m_folder;
    ProcessLock m_lock;
    ProcessLock::Outcome m_outcome;
};

} // namespace telvar
