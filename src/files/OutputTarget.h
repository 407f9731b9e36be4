// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace telvar {

// Writes a command's output where the user pointed it, as Unix tools do: "-" is standard output; a
// regular file or a path that does not exist yet is replaced whole (see replaceFile); a FIFO, a
// terminal or another character device is opened and written into, never replaced; a folder, a socket,
// a block device or a symbolic link loop is refused, and so is one of the program's own files (see
// ownfiles). Opening a FIFO waits for its reader; a signal
// (Ctrl-C) ends that wait, and the write, with an error. False, with "TARGET: reason" in *error (when
// given), when not everything was written.
bool writeOutputTarget(const QString& target, const QByteArray& data, QString* error);

// Whether writeOutputTarget could write to `target` now, for a command that would otherwise learn it
// only after its work: false, with "TARGET: reason" in *error, for what it refuses and for a folder that
// is not there or cannot be written to.
bool checkOutputTarget(const QString& target, QString* error);

} // namespace telvar
