// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/DeviceCandidates.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <memory>

namespace telvar {
class DeviceLink;
class EmulatedLibrary;
class HidLibrary;
} // namespace telvar

namespace telvar::cli {

class CliContext;

// One of several Telvar X that a verb uses at the same time, with a library and a link of its own: the
// real device at its node alone, or the virtual device of its state file with the sensor and faults
// the command line gave.
class DeviceAttachment {
public:
    explicit DeviceAttachment(DeviceCandidate device);
    ~DeviceAttachment();
    DeviceAttachment(const DeviceAttachment&) = delete;
    DeviceAttachment& operator=(const DeviceAttachment&) = delete;

    // Sets the device up and waits, as long as telvarctl waits for one device, until it is there. False
    // when it is not; error() says why.
    QCoro::Task<bool> attach(CliContext& context);
    // Brings a virtual device's state file up to date; false (error() says why) when it cannot be saved.
    bool saveState();

    DeviceLink& link() { return *m_link; }
    const DeviceCandidate& device() const { return m_device; }
    // The serial number it reports, else its path.
    QString name() const;
    const QString& error() const { return m_error; }

private:
    DeviceCandidate m_device;
    std::unique_ptr<HidLibrary> m_library;
    EmulatedLibrary* m_emulator = nullptr;
    std::unique_ptr<DeviceLink> m_link;
    QString m_error;
};

} // namespace telvar::cli
