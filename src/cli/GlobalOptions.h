// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/EmulatorOptions.h"
#include "journal/TeamJournalAddress.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace telvar::cli {

// The options that stand before the verb: telvarctl [global options] VERB [arguments].
struct GlobalOptions {
    EmulatorOptions emulator;                         // --simulate[=FILE], --sensor LIST, --fault SPEC
    QString dataDir;                                  // --data-dir DIR
    QString dictionary;                               // --dict FILE: the editor dictionary
    QString journal;                                  // --journal FILE: the session journal
    std::optional<TeamJournalAddress> teamJournal;    // --team-journal URL: the team's server
    std::optional<std::chrono::milliseconds> timeout; // --timeout MS
    bool yes = false;                                 // --yes: answer Yes to every confirmation
    QStringList devices;                              // --device SERIAL|PATH, repeatable
    bool allDevices = false;                          // --all-devices
    bool help = false;
    bool version = false;
    QString verb;
    QStringList verbArguments;
    // Where the words after a "--" begin among verbArguments; their size when there was none.
    qsizetype verbLiteralFrom = 0;
    // verbArguments with the "--" back in its place, for a verb that parses options of its own: after it,
    // "-2+3" is a word, not an option.
    QStringList verbWordsWithEndOfOptions() const;
};

struct ParsedOptions {
    GlobalOptions options;
    QString error; // set when the words are off (exit status 2)
};

// Parses the command line (without the program name).
ParsedOptions parseGlobalOptions(const QStringList& arguments);

QString globalUsage();

} // namespace telvar::cli
