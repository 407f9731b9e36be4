// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace telvar {

// A whole file read into memory, with a ceiling counted on the bytes actually read: the size a file
// reports is 0 for a pipe or a device such as /dev/zero, which would otherwise be read for ever.
struct CappedRead {
    enum class Status {
        Read,
        Missing,    // nothing by that name
        Unreadable, // a folder, a pipe, a device, no permission, an I/O error
        TooLarge,   // more bytes than the ceiling
    };

    Status status = Status::Missing;
    QByteArray data;
    // Why the file was not read, and the same as "PATH: reason".
    QString reason;
    QString error;

    bool ok() const { return status == Status::Read; }
};

// Refuses anything that is not a regular file before opening it, since opening a pipe for reading
// waits until someone writes to it.
CappedRead readCapped(const QString& path, qint64 limit);

} // namespace telvar
