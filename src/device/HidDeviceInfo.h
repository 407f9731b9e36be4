// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// One HID interface as the system lists it. The path is the device node and identifies the interface
// for as long as it stays attached.
struct HidDeviceInfo {
    QString path;
    int vendorId = 0;
    int productId = 0;
    QString serialNumber;
    QString manufacturer;
    QString product;
};

} // namespace telvar
