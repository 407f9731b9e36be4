// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

#include <array>
#include <vector>

namespace telvar {

// What the virtual Telvar X keeps across power cycles.
//
// The device has two memories that must not be confused:
// - word memory: eight codes per word, word i at address 8i, written by "A" + "W", spoken by "S";
// - the spoken-word record: one 16-byte slot per spoken word, slot k at record address 16k, holding the
//   word-memory address of that word in its first two bytes (little-endian). "R" reads it, "Y" erases it.
//   An erased slot reads 0xFFFF. The record is a ring of kRecordSlots slots.
// The spoken-word count lives in configuration bytes 6 (low) and 7 (high). It names the newest entry, as
// the program reads it ("N + 1 number of words", entries N down to 0): the first word after an erase goes
// to entry 0 and leaves the count at 0, every later word to the entry after the count, which it raises.
struct DeviceState {
    static constexpr int kConfigSize = 16;
    static constexpr int kWordSize = 8;
    static constexpr int kWordMemorySize = 2060 * kWordSize;
    static constexpr int kRecordSlots = 512;
    static constexpr int kRecordStride = 16;
    static constexpr quint16 kErased = 0xFFFF;
    static constexpr quint8 kPad = 48;

    // Configuration byte numbers the device itself acts on.
    enum ConfigByte {
        Gain = 0,
        Offset = 1,
        Volume = 2,
        Speed = 3,
        Pitch = 4,
        Bend = 5,
        SpokenCountLow = 6,
        SpokenCountHigh = 7,
        PowerSave = 8,
        EnergyRateLow = 12,
        EnergyRateHigh = 13,
        ModesLow = 14,
        ModesHigh = 15,
    };

    static constexpr int kFirmwareSize = 6;

    std::array<quint8, kConfigSize> config{};
    // Bytes 2-7 of the "Z" reply: five characters (the fifth is the board revision letter), then a number.
    std::array<quint8, kFirmwareSize> firmware{'1', '.', '2', '3', 'A', 4};
    QByteArray wordMemory;       // at least kWordMemorySize bytes
    std::vector<quint16> record; // kRecordSlots entries
    QStringList unitWords;       // what the external unit took in its last transfer, ten characters each
    QStringList unitCommands;    // commands the external unit received, oldest first
    // The serial number the device reports on the bus; empty in a state that names none (the factory
    // state, a state file written before serials were kept), which the device then makes up.
    QString serial;
    // Keys of the state file that the model does not own (a newer version's, a user's note), written
    // back as they were.
    QJsonObject otherKeys;

    // As the device leaves the factory: its own vocabulary (the first eight codes of every built-in code
    // row, pads beyond), gain 4, offset 173, the default voice, every mode available, an erased record.
    static DeviceState factory();
    // A serial number no other virtual device is likely to have: "SIM-" and eight hex digits.
    static QString freshSerial();
    static std::array<quint8, kConfigSize> factoryConfig();

    quint16 spokenCount() const;
    // Whether no word was recorded since the last erase.
    bool recordEmpty() const;
    // Appends a spoken word's address to the record: at entry 0 when the record is erased, else at the
    // entry after the count, which then names it (it stops at 65535).
    void recordSpoken(quint16 wordAddress);
    // Erases every slot and sets the count to 0.
    void eraseRecord();
    // The 16-bit value "R" returns for a record address; 0xFFFF outside the slots' first bytes.
    quint16 readRecord(int address) const;

    // "$": gain, offset and voice back to the factory values; everything else stays.
    void restoreFactoryVoiceAndGain();
    // Resetting the device makes every mode available again.
    void restoreAllModes();
};

} // namespace telvar
