// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/DeviceCandidates.h"

#include "device/HidapiLibrary.h"
#include "emulator/StateFile.h"
#include "emulator/VirtualDevice.h"
#include "files/FileIdentity.h"

#include <algorithm>

namespace telvar {

namespace {
const QString kInMemory = QStringLiteral("virtual");

} // namespace

bool DeviceCandidate::isNamedBy(const QString& word) const {
    if (word.isEmpty())
        return false;
    if (word == serial || word == path)
        return true;
    return path != kInMemory && fileidentity::same(word, path);
}

QList<DeviceCandidate> candidateDevices(const EmulatorOptions& emulator) {
    QList<DeviceCandidate> devices;
    if (!emulator.simulate) {
        for (const HidDeviceInfo& info : HidapiLibrary::attachedDevices())
            devices.append({info.path, info.serialNumber, false});
        return devices;
    }
    if (emulator.stateFiles.isEmpty()) {
        devices.append({kInMemory, {}, true});
        return devices;
    }
    for (const QString& file : emulator.stateFiles) {
        bool missing = false;
        const std::optional<DeviceState> state = StateFile::load(file, &missing, nullptr);
        devices.append({file, state ? state->serial : QString(), true});
    }
    return devices;
}

QString holderOf(const DeviceCandidate& device) {
    if (!device.isVirtual)
        return HidapiLibrary::holderOf(device.path);
    return device.path == kInMemory ? QString() : VirtualDevice::stateFileHolder(device.path);
}

DeviceChoice chooseDevices(const QList<DeviceCandidate>& there, const QStringList& wanted, bool all,
                           bool several) {
    DeviceChoice choice;
    if (!wanted.isEmpty() && all) {
        choice = {{}, QStringLiteral("--device and --all-devices do not go together"), true};
        return choice;
    }
    if (!several && (all || wanted.size() > 1)) {
        choice = {{}, QStringLiteral("this works on one Telvar X at a time; choose one with --device"), true};
        return choice;
    }
    if (all) {
        choice.devices = there;
        if (there.isEmpty())
            choice.error = QStringLiteral("no Telvar X is attached");
        return choice;
    }
    for (const QString& word : wanted) {
        const auto found = std::find_if(there.begin(), there.end(),
                                        [&word](const DeviceCandidate& d) { return d.isNamedBy(word); });
        if (found == there.end()) {
            choice = {{},
                      QStringLiteral("no Telvar X with the serial number or path %1 is attached").arg(word)};
            return choice;
        }
        if (choice.devices.contains(*found)) {
            choice = {{}, QStringLiteral("%1 is chosen twice").arg(word), true};
            return choice;
        }
        choice.devices.append(*found);
    }
    if (!wanted.isEmpty())
        return choice;
    if (there.size() > 1) {
        choice = {{},
                  QStringLiteral("%1 Telvar X are attached: %2; choose one with --device SERIAL|PATH")
                      .arg(there.size())
                      .arg(describeDevices(there)),
                  true};
        return choice;
    }
    choice.devices = there;
    return choice;
}

QString describeDevices(const QList<DeviceCandidate>& devices) {
    QStringList named;
    for (const DeviceCandidate& device : devices)
        named << (device.serial.isEmpty() ? device.path
                                          : QStringLiteral("%1 (%2)").arg(device.serial, device.path));
    return named.join(QStringLiteral(", "));
}

} // namespace telvar
