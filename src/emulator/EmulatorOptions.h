#pragma once

#include "emulator/FaultSet.h"
#include "emulator/SensorScript.h"
#include "emulator/SensorWalk.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace telvar {

// How the virtual Telvar X is set up; both programs fill it from the same command-line words:
//   --simulate[=FILE]  use the virtual device (its non-volatile state kept in FILE)
//   --sensor LIST      scripted sensor readings (5,7,1200x100), or random[:SEED] for the wandering sensor
//   --fault SPEC       drop:LETTER, unplug-after:N, delay:MS; may be repeated
class EmulatorOptions {
public:
    bool simulate = false;
    QString stateFile;                        // empty: the state lives in memory for the run
    std::optional<SensorScript> sensorScript; // unset: the seeded wandering sensor
    quint32 sensorSeed = SensorWalk::kDefaultSeed;
    FaultSet faults;
    std::chrono::milliseconds latency{1}; // about one USB frame

    // Each returns an error text, empty on success.
    QString setStateFile(const QString& file);
    QString setSensor(const QString& list);
    QString addFault(const QString& spec);

    // Takes the simulation words out of `arguments` (up to a "--") and leaves the others in order,
    // so the caller's own parser sees only its options. Accepts "--sensor LIST" and "--sensor=LIST" alike.
    // Returns an error text, empty on success; --sensor and --fault without --simulate are an error.
    QString takeFrom(QStringList& arguments);

    // Lines for --help.
    static QString usage();
};

} // namespace telvar
