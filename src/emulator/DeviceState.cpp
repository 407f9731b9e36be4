// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/DeviceState.h"

#include "vocab/BuiltinVocabulary.h"

#include <QRandomGenerator>

#include <algorithm>

namespace telvar {

namespace {
constexpr quint16 kFactoryEnergyRate = 100;
}

std::array<quint8, DeviceState::kConfigSize> DeviceState::factoryConfig() {
    std::array<quint8, kConfigSize> config{};
    config[Gain] = 4;
    config[Offset] = 173;
    config[Volume] = 127;
    config[Speed] = 103;
    config[Pitch] = 89;
    config[Bend] = 5;
    config[EnergyRateLow] = kFactoryEnergyRate % 256;
    config[EnergyRateHigh] = kFactoryEnergyRate / 256;
    config[ModesLow] = 255;
    config[ModesHigh] = 0;
    return config;
}

QString DeviceState::freshSerial() {
    return QStringLiteral("SIM-%1")
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
        .toUpper();
}

DeviceState DeviceState::factory() {
    DeviceState state;
    state.config = factoryConfig();
    state.wordMemory = QByteArray(kWordMemorySize, static_cast<char>(kPad));
    const auto& rows = builtin::codeRows();
    for (int row = 0; row < builtin::kRowCount; ++row) {
        for (int i = 0; i < kWordSize; ++i)
            state.wordMemory[row * kWordSize + i] = static_cast<char>(rows[row * builtin::kRowLength + i]);
    }
    state.record.assign(kRecordSlots, kErased);
    return state;
}

quint16 DeviceState::spokenCount() const {
    return static_cast<quint16>(config[SpokenCountLow] + 256 * config[SpokenCountHigh]);
}

bool DeviceState::recordEmpty() const {
    return spokenCount() == 0 && record[0] == kErased;
}

void DeviceState::recordSpoken(quint16 wordAddress) {
    const quint16 count = spokenCount();
    const quint16 newest = recordEmpty() ? 0 : count == 0xFFFF ? count : static_cast<quint16>(count + 1);
    record[newest % kRecordSlots] = wordAddress;
    config[SpokenCountLow] = newest % 256;
    config[SpokenCountHigh] = newest / 256;
}

void DeviceState::eraseRecord() {
    std::fill(record.begin(), record.end(), kErased);
    config[SpokenCountLow] = 0;
    config[SpokenCountHigh] = 0;
}

quint16 DeviceState::readRecord(int address) const {
    if (address < 0 || address % kRecordStride != 0 || address / kRecordStride >= kRecordSlots)
        return kErased;
    return record[address / kRecordStride];
}

void DeviceState::restoreFactoryVoiceAndGain() {
    const auto factorySet = factoryConfig();
    std::copy(factorySet.begin() + Gain, factorySet.begin() + Bend + 1, config.begin() + Gain);
}

void DeviceState::restoreAllModes() {
    const auto factorySet = factoryConfig();
    config[ModesLow] = factorySet[ModesLow];
    config[ModesHigh] = factorySet[ModesHigh];
}

} // namespace telvar
