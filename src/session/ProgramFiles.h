// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace telvar {

// Where the files of one run of a program lie; empty paths are none.
struct ProgramFilePaths {
    QString journal;
    QStringList stateFiles; // the virtual devices', one for each --simulate=FILE
    QString dataFolder;
    QString dictionary;
};

// What the session journal is called among the guarded files; its opener refuses a path that is also
// something else of the program's.
inline constexpr char kJournalRole[] = "the session journal";

// Puts the program's own files, and what lies beside them, under the guard of ownfiles, so that no
// output the user names replaces one of them.
void guardProgramFiles(const ProgramFilePaths& paths);

} // namespace telvar
