// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace telvar {

// Tells when the set of attached HID devices may have changed, so that the owner scans it again.
class HotplugMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HotplugMonitor() override = default;

    // Starts watching; false when this kind of monitor cannot work here.
    virtual bool start() = 0;

Q_SIGNALS:
    // `departedNode` names a device node that was removed, when the monitor knows it: the scan may still
    // list a node for a moment after its device left.
    void devicesChanged(const QString& departedNode);
};

} // namespace telvar
