// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/FaultSet.h"
#include "emulator/SensorScript.h"
#include "emulator/SensorWalk.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace telvar {

class OptionParser;

// How the virtual Telvar X is set up; both programs fill it from the same command-line words:
//   --simulate[=FILE]  use the virtual device (its non-volatile state kept in FILE); each FILE given is a
//                      virtual device of its own
//   --sensor LIST      scripted sensor readings (5,7,1200x100 or 5/40/90x3), or random[:SEED] for the
//   wandering sensor
//   --fault SPEC       drop:LETTER, unplug-after:N, refuse-after:N, delay:[LETTER:]MS, unit-pace:MS,
//                      unit-silent; may be repeated
//   --speak-aloud      make what the device says audible (an approximation through espeak-ng)
class EmulatorOptions {
public:
    bool simulate = false;
    QString stateFile;                        // the device used; empty: the state lives in memory for the run
    QStringList stateFiles;                   // every virtual device given, in order
    std::optional<SensorScript> sensorScript; // unset: the seeded wandering sensor
    quint32 sensorSeed = SensorWalk::kDefaultSeed;
    FaultSet faults;
    std::chrono::milliseconds latency{1}; // about one USB frame
    bool speakAloud = false;

    // Each returns an error text, empty on success. The first file given is the one used until a program
    // chooses another of them.
    QString setStateFile(const QString& file);
    QString setSensor(const QString& list);
    QString addFault(const QString& spec);

    // Declares --simulate[=FILE], --sensor LIST, --fault SPEC and --speak-aloud beside the program's own
    // options.
    static void addOptionsTo(OptionParser& parser);
    // Takes their values from a parser that has parsed the command line. Returns a usage error text, empty
    // on success: a bad state file name, sensor list or fault, or --sensor, --fault or --speak-aloud
    // without --simulate.
    QString readFrom(const OptionParser& parser);

    // Lines for --help.
    static QString usage();
};

} // namespace telvar
