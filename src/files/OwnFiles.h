// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace telvar {

// The files this program holds or guards: its journal, a virtual device's state file, the session log,
// the word-list and editor files, and what lies beside them (locks, pending pair commits). An output the
// user names is checked against them, so that an export or a trace is never written over one of them,
// around its lock or its pair commit. Kept for the whole process; safe from any thread.
namespace ownfiles {

// `role` says what the file is, as in "the session journal".
void guard(const QString& path, const QString& role);
// What `target` is to this program when it is one of the guarded files, else empty. Files are compared
// by what they are: the same device and inode when both are there (through any link or name, a hard
// link too), else the same place, so that a dangling link to a file the program is yet to make counts.
QString roleOf(const QString& target);
// Every role `target` has, for a file that must be none but its own (the journal given one of the
// program's other files).
QStringList rolesOf(const QString& target);
// Forgets every guarded file (for tests that play several programs in one process).
void clear();

} // namespace ownfiles

} // namespace telvar
