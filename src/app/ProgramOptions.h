// SPDX-License-Identifier: GPL-3.0-or-later
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
    QString teamJournal;                  // --team-journal URL; empty: the one in the settings
    std::chrono::milliseconds timeout{0}; // --timeout MS; 0: the default reply limit
    QString device;                       // --device SERIAL|PATH; empty: the only one attached
    bool help = false;                    // --help
    bool version = false;                 // --version

    // `arguments` without the program name, the window system's own options already taken out. With
    // --help or --version the rest goes unchecked: they answer whatever else the line holds.
    // Returns an error text, empty on success.
    QString parse(const QStringList& arguments);

    static QString usage();
    // The command line `arguments` (without the program name) for the same start on another device:
    // any --device taken out, --device `device` put in.
    static QStringList withDevice(const QStringList& arguments, const QString& device);
};

} // namespace telvar
