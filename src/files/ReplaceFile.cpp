// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ReplaceFile.h"

#include "files/RegularFileCheck.h"

#include <QDir>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace telvar {

namespace {

// Unbuffered, so that a write the disk refuses fails here, with the system's reason, and not only when
// a buffer is flushed on commit, where QSaveFile loses the failure and renames a short file into place.
// A short write is followed by another, which then says why the rest did not fit.
bool writeWhole(QSaveFile& file, const QByteArray& data, QString* reason) {
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 written = file.write(data.constData() + done, data.size() - done);
        if (written <= 0) {
            *reason = file.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

// QSaveFile syncs before its rename but ignores a failure; a disk that cannot take the data must stop
// the rename.
bool syncToDisk(QSaveFile& file, QString* reason) {
    if (::fsync(file.handle()) == 0 || errno == EINVAL || errno == EROFS)
        return true;
    *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

} // namespace

bool replaceFile(const QString& path, const QByteArray& data, QString* error) {
    if (!mayReplace(path, error))
        return false;
    // QSaveFile follows symbolic links itself and renames over the file at their end.
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        reason = file.errorString();
    } else if (!writeWhole(file, data, &reason) || !syncToDisk(file, &reason)) {
        // The temporary file goes; the old file stays as it was.
        file.cancelWriting();
        file.commit();
    } else if (!file.commit()) {
        reason = file.errorString();
    } else {
        return true;
    }
    if (error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

} // namespace telvar
