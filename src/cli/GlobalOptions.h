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
    bool help = false;
    bool version = false;
    QString verb;
    QStringList verbArguments;
};

struct ParsedOptions {
    GlobalOptions options;
    QString error; // set when the words are off (exit status 2)
};

// Parses the command line (without the program name).
ParsedOptions parseGlobalOptions(const QStringList& arguments);

QString globalUsage();

} // namespace telvar::cli
