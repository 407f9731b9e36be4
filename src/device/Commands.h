// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Command letters of the device's output reports (byte 1). Case matters: 'd' and 'v' are lower case.
namespace telvar::Command {

inline constexpr char SetAddress = 'A';
inline constexpr char WriteConfig = 'B';
inline constexpr char ReadConfig = 'C';
inline constexpr char ReadSensor = 'D';
inline constexpr char SyncMode = 'F';
inline constexpr char DictionaryMode = 'G';
inline constexpr char PhoneticMode = 'H';
inline constexpr char ReversePhoneticMode = 'I';
inline constexpr char TouchMode = 'K'; // the energy-mode button sends the same letter
inline constexpr char AmplifierOn = 'L';
inline constexpr char AmplifierOff = 'M';
inline constexpr char VoiceTest = 'N';
inline constexpr char WhiteNoiseMode = 'O';
inline constexpr char ReadMemory = 'R';
inline constexpr char Speak = 'S';
inline constexpr char SpeechByte = 'V';
inline constexpr char WriteMemory = 'W';
inline constexpr char SayLastWords = 'X';
inline constexpr char ClearMemory = 'Y';
inline constexpr char FirmwareVersion = 'Z';
inline constexpr char GainOffsetStored = 'd';
inline constexpr char UnitTransfer = 'v';
inline constexpr char UnitCommand = '!';
inline constexpr char BootLoader = '@';
inline constexpr char FactoryVoice = '$';

} // namespace telvar::Command
