// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vocab/VocabularyTables.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace telvar {

// What the start-up load found and did.
struct VocabularyLoad {
    VocabularyTables tables;
    bool external = false;  // read from mainw.txt and mainph.txt, not from the built-in data
    QString fileProblem;    // why the main files were not used; empty after a file load
    QStringList keptCopies; // the backup copies holding what the files the built-in data replaced held
    QStringList
        writeErrors; // files the built-in data could not or would not replace, and why; the run goes on

    QString caption() const;
};

// Fills the vocabulary from the word-list files of the data folder, or from the built-in data.
class VocabularyLoader {
public:
    // Start-up: the main pair when it can be read whole, else the built-in vocabulary, which is then
    // written to both pairs so the next start reads it from the files (see BackupCopies for what the
    // files held before).
    static VocabularyLoad load(const QString& folder);

    // The built-in vocabulary; its word browser list stops after entry 2048.
    static VocabularyTables builtinTables();

    // "Transfer Edits" of the main window: the temporary pair as the new vocabulary, both lists holding
    // its words so that lists and code table stay parallel. nullopt, with a message for the user in
    // *error, when the pair cannot be read whole; the caller then keeps what it has.
    static std::optional<VocabularyTables> loadEdits(const QString& folder, QString* error);
};

} // namespace telvar
