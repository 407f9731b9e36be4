// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/HidLibrary.h"
#include "device/HidapiDevices.h"

#include <QString>

#include <atomic>

namespace telvar {

// The writing side of an opened Telvar X, used on the device I/O thread. Once closed, writes fail without
// touching the node: a report queued for a device that has left must not reach anything.
class HidWriter {
public:
    static inline const QString kClosedReason = QStringLiteral("the Telvar X is not connected");

    HidWriter(hidapi::DevicePtr device, QString path)
        : m_device(std::move(device)), m_path(std::move(path)) {}

    // From any thread; a write already under way finishes, every later one fails.
    void close() { m_closed = true; }
    WriteOutcome write(const HidLibrary::OutputReport& report);

private:
    hidapi::DevicePtr m_device;
    QString m_path;
    std::atomic<bool> m_closed{false};
};

} // namespace telvar
