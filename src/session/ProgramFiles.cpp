// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ProgramFiles.h"

#include "files/FolderLock.h"
#include "files/OwnFiles.h"
#include "files/PairCommit.h"
#include "session/SessionLogFile.h"
#include "vocab/WordListFiles.h"

#include <QDir>

namespace telvar {

void guardProgramFiles(const ProgramFilePaths& paths) {
    if (!paths.journal.isEmpty()) {
        for (const char* beside : {"", ".lock", ".running", "-journal", "-wal", "-shm"})
            ownfiles::guard(paths.journal + QLatin1String(beside), QStringLiteral("the session journal"));
    }
    if (!paths.stateFile.isEmpty()) {
        for (const char* beside : {"", ".lock"})
            ownfiles::guard(paths.stateFile + QLatin1String(beside),
                            QStringLiteral("the virtual device's state file"));
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
