// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/HotplugMonitor.h"

#include <QSocketNotifier>

#include <memory>

struct udev;
struct udev_monitor;

namespace telvar {

// Hot-plug from udev: listens for hidraw events after udev has processed them (so the device node has
// its final permissions) and reports each one.
class UdevHotplugMonitor : public HotplugMonitor {
    Q_OBJECT
public:
    using HotplugMonitor::HotplugMonitor;
    ~UdevHotplugMonitor() override;

    bool start() override;

private:
    void receive();

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace telvar
