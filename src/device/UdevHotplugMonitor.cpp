// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/UdevHotplugMonitor.h"

#include <libudev.h>

#include <cstring>

namespace telvar {

UdevHotplugMonitor::~UdevHotplugMonitor() {
    m_notifier.reset();
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

bool UdevHotplugMonitor::start() {
    if (m_notifier)
        return true;
    if (!m_udev)
        m_udev = udev_new();
    if (!m_udev)
        return false;
    if (!m_monitor)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor)
        return false;
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0)
        return false;
    const int fd = udev_monitor_get_fd(m_monitor);
    if (fd < 0)
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UdevHotplugMonitor::receive);
    return true;
}

void UdevHotplugMonitor::receive() {
    // One event per activation; the notifier fires again while more are queued.
    udev_device* device = udev_monitor_receive_device(m_monitor);
    if (!device)
        return;
    const char* action = udev_device_get_action(device);
    const char* node = udev_device_get_devnode(device);
    const bool removed = action && node && std::strcmp(action, "remove") == 0;
    const QString departed = removed ? QString::fromLocal8Bit(node) : QString();
    udev_device_unref(device);
    Q_EMIT devicesChanged(departed);
}

} // namespace telvar
