// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// Where the files of one run of a program lie; empty paths are none.
struct ProgramFilePaths {
    QString journal;
    QString stateFile; // the virtual device's, with --simulate=FILE
    QString dataFolder;
    QString dictionary;
};

// Puts the program's own files, and what lies beside them, under the guard of ownfiles, so that no
// output the user names replaces one of them.
void guardProgramFiles(const ProgramFilePaths& paths);

} // namespace telvar
