// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace telvar {

// What a path names, whatever it was typed as: "./", "//", a relative path, a symbolic link or a hard
// link all lead to one file, which is what locks and guards must compare, never the text of the name.
namespace fileidentity {

// Device and inode of the file a path leads to (links followed); none when nothing is there.
std::optional<std::pair<quint64, quint64>> idOf(const QString& path);

// The absolute path a file is reached at, or would be made at: every symbolic link on the way resolved,
// a dangling link's chain followed to the name its last link names (where a writer following it would
// make the file). A loop of links gives the last place reached.
QString placeOf(const QString& path);

// Whether two paths name one file: the same device and inode when both lead to a file, else the same
// place.
bool same(const QString& a, const QString& b);

} // namespace fileidentity

} // namespace telvar
