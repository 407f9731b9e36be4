// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

namespace telvar {

// Opens `path` in `file` for appending, creating it when absent, but only when it is a regular file:
// opening a FIFO for writing would wait for a reader with no end, and a device would swallow what is
// written or refuse the seek to its end. Never blocks. False, with the reason (without the path) in
// *reason, when the file was not opened.
bool openRegularForAppend(QFile& file, const QString& path, QString* reason);

} // namespace telvar
