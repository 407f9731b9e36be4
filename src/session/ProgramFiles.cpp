// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ProgramFiles.h"

#include "files/FileIdentity.h"
#include "files/FolderLock.h"
#include "files/IdentityLock.h"
#include "files/OwnFiles.h"
#include "files/PairCommit.h"
#include "session/SessionLogFile.h"
#include "vocab/WordListFiles.h"

#include <QDir>

namespace telvar {

void guardProgramFiles(const ProgramFilePaths& paths) {
    // What lies beside a file lies beside the file a link leads to: that is where SQLite and the locks
    // put it.
    if (!paths.journal.isEmpty()) {
        const QString journal = fileidentity::placeOf(paths.journal);
        for (const char* beside : {"", ".lock", ".running", "-journal", "-wal", "-shm"})
            ownfiles::guard(journal + QLatin1String(beside), QLatin1String(kJournalRole));
    }
    for (const QString& stateFile : paths.stateFiles) {
        if (stateFile.isEmpty())
            continue;
        const QString role = QStringLiteral("the virtual device's state file");
        ownfiles::guard(stateFile, role);
        ownfiles::guard(IdentityLock::lockFileOf(stateFile), role);
    }
    ownfiles::guard(SessionLogFile::defaultPath(), QStringLiteral("the session log"));
    if (!paths.dataFolder.isEmpty()) {
        const QDir folder(paths.dataFolder);
        const QString wordFile = QStringLiteral("a word-list file");
        for (const auto& [words, codes] : {std::pair{WordListFiles::kMainWords, WordListFiles::kMainCodes},
                                           std::pair{WordListFiles::kTempWords, WordListFiles::kTempCodes}}) {
            ownfiles::guard(folder.filePath(QLatin1String(words)), wordFile);
            ownfiles::guard(folder.filePath(QLatin1String(codes)), wordFile);
            ownfiles::guard(PairCommit(paths.dataFolder, QLatin1String(words), QLatin1String(codes)).journalPath(),
                            wordFile);
        }
        ownfiles::guard(folder.filePath(QLatin1String(FolderLock::kFileName)), wordFile);
    }
    ownfiles::guard(paths.dictionary, QStringLiteral("the word editor's dictionary"));
}

} // namespace telvar
