// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/HidapiDevices.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace telvar::hidapi {

namespace {
QString fromWide(const wchar_t* text) {
    return text ? QString::fromWCharArray(text) : QString();
}
} // namespace

void DeviceCloser::operator()(hid_device* device) const {
    hid_close(device);
}

bool initialise() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = hid_init() == 0; });
    return ok;
}

QList<HidDeviceInfo> enumerate(int vendorId, int productId) {
    QList<HidDeviceInfo> devices;
    if (!initialise())
        return devices;
    hid_device_info* list =
        hid_enumerate(static_cast<unsigned short>(vendorId), static_cast<unsigned short>(productId));
    for (const hid_device_info* entry = list; entry; entry = entry->next) {
        const QString path = QString::fromLocal8Bit(entry->path);
        // hidapi lists a node once per top-level collection; the program deals in nodes.
        const bool listed = std::any_of(devices.cbegin(), devices.cend(),
                                        [&](const HidDeviceInfo& d) { return d.path == path; });
        if (listed)
            continue;
        devices.append({path, entry->vendor_id, entry->product_id, fromWide(entry->serial_number),
                        fromWide(entry->manufacturer_string), fromWide(entry->product_string)});
    }
    hid_free_enumeration(list);
    return devices;
}

DevicePtr open(const QString& path, int* error) {
    if (!initialise())
        return nullptr;
    // hidapi's own error text can lose the cause (it closes the node before composing it); errno keeps it.
    errno = 0;
    DevicePtr device(hid_open_path(path.toLocal8Bit().constData()));
    if (error)
        *error = device ? 0 : errno;
    return device;
}

} // namespace telvar::hidapi
