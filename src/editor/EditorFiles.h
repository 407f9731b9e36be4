// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "editor/WorkingWordList.h"

#include <QString>
#include <QStringList>

namespace telvar {

// What the editor found when it loaded its working copies.
struct EditorLoad {
    WorkingWordList list;
    QStringList problems; // a missing file, phonetic lines missing for some words; empty when all was there
    // "PATH: reason" when a working file is there but could not be read (too large, a FIFO, a device).
    // The list then stands in for content nobody has seen, so it must not be saved over that file.
    QString unreadable;
};

// The editor's files in the data folder: it loads and saves the working pair (tempw.txt, tempph.txt) and
// hands it over to the main pair (mainw.txt, mainph.txt). Every write replaces a pair as a whole (see
// PairCommit): a reader finds the old pair or the new one even after a crash halfway, and a failure
// leaves the old pair in place and is reported.
class EditorFiles {
public:
    explicit EditorFiles(QString folder);

    // The working pair, line by line in step, each line without surrounding blanks. Words whose phonetic
    // line is missing get ten pads; problems say what was missing, and unreadable what was there but
    // could not be read.
    EditorLoad load() const;

    // "Save Edits": the list as the new working pair. False, with the reason in *error, when an entry
    // cannot be written (see WorkingWordList::entryProblem) or a file cannot be replaced.
    bool saveEdits(const WorkingWordList& list, QString* error) const;

    // "Transfer Edits": the working pair as last saved, byte for byte, as the new main pair. Refused when
    // the working pair cannot be read or its phonetic file is shorter than its word file, since the
    // next start-up could not load it.
    bool transferEdits(QString* error) const;

private:
    QString path(const char* name) const;

    QString m_folder;
};

} // namespace telvar
