#pragma once

#include "device/DeviceLink.h"
#include "emulator/EmulatedLibrary.h"

#include <QList>
#include <QTest>

#include <array>

namespace telvar::test {

// The virtual Telvar X on the bus and a DeviceLink attached to it, recording every report the link sends.
struct VirtualTelvar {
    using Report = std::array<quint8, 11>;

    EmulatedLibrary library;
    DeviceLink link{library};
    QList<Report> sent;

    VirtualTelvar() {
        QObject::connect(&link, &DeviceLink::reportSent, &link, [this](const Report& report) { sent << report; });
    }

    VirtualDevice& device() { return library.device(); }

    // Attaches the link and waits until the device is announced and its replies are read.
    bool attach() {
        link.hidattach();
        return QTest::qWaitFor([this] { return link.isAttached() && library.readNotifyEnabled(); }, 10000);
    }

    // The reports sent with this command letter.
    QList<Report> sentWith(char letter) const {
        QList<Report> matching;
        for (const Report& report : sent) {
            if (report[1] == static_cast<quint8>(letter))
                matching << report;
        }
        return matching;
    }
};

} // namespace telvar::test
