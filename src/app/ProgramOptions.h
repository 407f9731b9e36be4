#pragma once

#include "emulator/EmulatorOptions.h"

#include <QString>
#include <QStringList>

#include <chrono>

namespace telvar {

// The words telvar takes on its command line.
struct ProgramOptions {
    EmulatorOptions emulator;             // --simulate[=FILE], --sensor LIST, --fault SPEC
    QString dataDir;                      // --data-dir DIR
    QString journal;                      // --journal FILE; empty: the user's own
    std::chrono::milliseconds timeout{0}; // --timeout MS; 0: the default reply limit
    QString device;                       // --device SERIAL|PATH; empty: the only one attached
    bool help = false;                    // --help
    bool version = false;                 // --version

    // `arguments` without the program name, the window system's own options already taken out. With
    // --help or --version the rest goes unchecked: they answer whatever else the line holds.
    // Returns an error text, empty on success.
    QString parse(const QStringList& arguments);

    static QString usage();
};

} // namespace telvar
