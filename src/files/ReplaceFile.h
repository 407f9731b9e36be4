// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace telvar {

// Replaces the data file at `path` with `data` in one step: the new content is written beside it and
// renamed over it, so a failure at any step leaves the old file whole. A symbolic link stays a link and
// the file it leads to is replaced. Anything but an absent path or a regular file is refused (see
// mayReplace). False, with "PATH: reason" in *error (when given), on failure.
bool replaceFile(const QString& path, const QByteArray& data, QString* error);

} // namespace telvar
