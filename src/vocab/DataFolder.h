#pragma once

#include <QString>

namespace telvar {

// Where the word-list files and the editor dictionary live: the program's own folder when it can be
// written to (a portable install, or the build folder), else the user's application data folder.
// `--data-dir DIR` overrides both.
class DataFolder {
public:
    // Uses the folder of the running program and QStandardPaths::AppDataLocation.
    static QString resolve(const QString& overrideDir);
    static QString resolve(const QString& overrideDir, const QString& programDir, const QString& userDir);

    // Whether a file can be created in the folder; tried, since permission bits do not tell the whole
    // story (a read-only mount, or an administrator who may write anywhere).
    static bool isWritable(const QString& dir);
};

} // namespace telvar
