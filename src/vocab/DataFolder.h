// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// Where the word-list files and the editor dictionary live: the program's own folder when it can be
// written to (a portable install, or the build folder), else the user's application data folder.
// `--data-dir DIR` overrides both. A program installed in a system folder never writes beside itself,
// even when run by root, who may write there: the files belong to the user, not to the installation.
class DataFolder {
public:
    // Uses the folder of the running program and QStandardPaths::AppDataLocation.
    static QString resolve(const QString& overrideDir);
    static QString resolve(const QString& overrideDir, const QString& programDir, const QString& userDir);
    // The same folder, as an absolute path, without making it.
    static QString locate(const QString& overrideDir);
    static QString locate(const QString& overrideDir, const QString& programDir, const QString& userDir);

    // Whether the folder lies in a tree that holds installed software (/usr, /bin, /sbin, /opt), which
    // programs must not change at run time.
    static bool isSystemFolder(const QString& dir);

    // Whether a file can be created in the folder; tried, since permission bits do not tell the whole
    // story (a read-only mount, or an administrator who may write anywhere).
    static bool isWritable(const QString& dir);
};

} // namespace telvar
