// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// Why `path`, once its symbolic links are followed, is neither absent nor a regular file, as in "is a
// character device, not a regular file"; empty when it is absent or a regular file. Nothing is opened,
// so a FIFO without a reader cannot hold the caller up.
QString notRegularFileReason(const QString& path);

// Whether a writer may put a new regular file in the place of `path`. A device node, a FIFO, a folder
// or a symbolic link loop would be swapped for a plain file by the rename that replaces a file, so they
// are refused: false, with "PATH: reason; it was not replaced" in *error (when given).
bool mayReplace(const QString& path, QString* error);

} // namespace telvar
