// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/VirtualDevice.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <initializer_list>

namespace telvar::test {

// Gathers the virtual device's replies on the test's thread (they leave the device on its worker thread).
class ReplyCollector : public QObject {
public:
    explicit ReplyCollector(VirtualDevice& device) {
        connect(
            &device, &VirtualDevice::replied, this,
            [this](const QByteArray& report, quint64) { replies.append(report); }, Qt::QueuedConnection);
    }
    QList<QByteArray> replies;
};

// Sends one output report: byte 0 = 0, then the given bytes from byte 1 on.
inline void sendReport(VirtualDevice& device, std::initializer_list<int> bytes) {
    VirtualDevice::Report report{};
    int i = 1;
    for (int byte : bytes)
        report[i++] = static_cast<quint8>(byte);
    device.receive(report.data());
}

} // namespace telvar::test
