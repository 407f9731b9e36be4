// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FolderLock.h"

#include <QDir>

namespace telvar {

FolderLock::FolderLock(const QString& folder, std::chrono::milliseconds limit)
    : m_folder(folder), m_lock(QDir(folder).filePath(QString::fromLatin1(kFileName))),
      m_outcome(m_lock.acquire(limit)) {}

QString FolderLock::error() const {
    if (isLocked())
        return {};
    if (m_outcome == ProcessLock::Outcome::NotALockFile)
        return m_lock.error();
    return QStringLiteral("the word-list files in %1 are in use by %2")
        .arg(QDir::toNativeSeparators(m_folder), m_lock.holder());
}

} // namespace telvar
