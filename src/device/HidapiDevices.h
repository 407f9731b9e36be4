// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/HidDeviceInfo.h"

#include <QList>
#include <QString>

#include <memory>

struct hid_device_;

// Our access to the hidapi C library: initialisation, enumeration and opening by path.
namespace telvar::hidapi {

struct DeviceCloser {
    void operator()(hid_device_* device) const;
};
using DevicePtr = std::unique_ptr<hid_device_, DeviceCloser>;

// Initialises hidapi once per process; false when it cannot be used.
bool initialise();

// The attached HID interfaces, one entry per device node; 0 for an id matches any.
QList<HidDeviceInfo> enumerate(int vendorId = 0, int productId = 0);

// Opens the device node for reading and writing; null on failure, with the system's error number in
// `error` when asked for.
DevicePtr open(const QString& path, int* error = nullptr);

} // namespace telvar::hidapi
