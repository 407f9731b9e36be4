// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/DeviceState.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The virtual device's non-volatile state as a JSON file:
//   { "format": 1,
//     "config": [16 numbers 0..255],
//     "firmware": "lower-case hex of the six version bytes of the \"Z\" reply",
//     "wordMemory": "lower-case hex of the word memory from address 0",
//     "spokenRecord": [512 numbers 0..65535, 65535 = erased],
//     "unitWords": ["ten-character words the external unit holds", ...],
//     "unitCommands": ["commands the external unit received", ...],
//     "serial": "the serial number the device reports" }
// A key that is missing keeps its factory value, so a hand-written file may hold only "config". Keys of
// other names are kept as they are and written back with the next save.
namespace telvar::StateFile {

QByteArray toJson(const DeviceState& state);

// On malformed content returns nothing and says what is wrong in `error`.
std::optional<DeviceState> fromJson(const QByteArray& json, QString* error);

// Reads the file. A file that does not exist yet gives the factory state and sets `missing`.
std::optional<DeviceState> load(const QString& path, bool* missing, QString* error);

// Replaces the file atomically: a failure leaves the old file whole. Returns an error text, empty on success.
QString save(const QString& path, const QByteArray& json);

} // namespace telvar::StateFile
