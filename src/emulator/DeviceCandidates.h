// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/EmulatorOptions.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace telvar {

// A Telvar X a program may use: one on the bus, or a virtual one.
struct DeviceCandidate {
    QString path;   // the device node; for a virtual device its state file, or "virtual" for one in memory
    QString serial; // empty while unknown (a virtual device whose state file is not made yet)
    bool isVirtual = false;

    bool operator==(const DeviceCandidate&) const = default;

    // Whether a --device word names this device: its serial, or its path however written.
    bool isNamedBy(const QString& word) const;
};

// What a program uses: with --simulate the virtual devices (one per --simulate=FILE, else one in memory),
// else the Telvar X on the bus. Blocks while it looks.
QList<DeviceCandidate> candidateDevices(const EmulatorOptions& emulator);

// Who holds the device now, "PROGRAM (process N)"; empty when nobody does.
QString holderOf(const DeviceCandidate& device);

struct DeviceChoice {
    QList<DeviceCandidate> devices; // the chosen ones, in the order asked for
    QString error;                  // why none could be chosen
    bool usage = false;             // the error lies in the words given (several there, none chosen)
};

// Chooses among `there`: the devices `wanted` names (by serial or path), every one with `all`, else the
// only one there is. Several there and none chosen is a usage error that names them; a word that names
// none of them is an error too. `several`: whether more than one may be chosen.
DeviceChoice chooseDevices(const QList<DeviceCandidate>& there, const QStringList& wanted, bool all,
                           bool several);

// "SERIAL (PATH)" for each, for the messages that list devices.
QString describeDevices(const QList<DeviceCandidate>& devices);

} // namespace telvar
