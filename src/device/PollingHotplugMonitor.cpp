// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/PollingHotplugMonitor.h"

namespace telvar {

PollingHotplugMonitor::PollingHotplugMonitor(std::chrono::milliseconds period, QObject* parent)
    : HotplugMonitor(parent) {
    m_timer.setInterval(period);
    connect(&m_timer, &QTimer::timeout, this, [this] { Q_EMIT devicesChanged({}); });
}

bool PollingHotplugMonitor::start() {
    m_timer.start();
    return true;
}

} // namespace telvar
