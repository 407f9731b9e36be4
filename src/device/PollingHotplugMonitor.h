// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/HotplugMonitor.h"

#include <QTimer>

#include <chrono>

namespace telvar {

// The portable monitor: asks for a scan at a fixed period, for systems without udev.
class PollingHotplugMonitor : public HotplugMonitor {
    Q_OBJECT
public:
    explicit PollingHotplugMonitor(std::chrono::milliseconds period, QObject* parent = nullptr);

    bool start() override;

private:
    QTimer m_timer;
};

} // namespace telvar
