// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceLink.h"
#include "emulator/EmulatedLibrary.h"

#include <QEventLoop>
#include <QList>
#include <QTest>
#include <QTimer>

#include <array>
#include <functional>

namespace telvar::test {

// The virtual Telvar X on the bus and a DeviceLink attached to it, recording every report the link sends:
// the one rig for tests of sequences against the device.
struct VirtualTelvar {
    using Report = std::array<quint8, 11>;

    EmulatedLibrary library;
    DeviceLink link{library};
    QList<Report> sent;

    VirtualTelvar() {
        // The device's clock stands still: an idle spell, which ends a transfer to the external unit, must
        // not happen because a busy test machine was slow.
        device().setClock([] { return qint64{0}; });
        QObject::connect(&link, &DeviceLink::reportSent, &link,
                         [this](const Report& report) { sent << report; });
    }

    // As the window and telvarctl do at their end: sequences still waiting (a session's reading, a word's
    // pause) run to their ends instead of being left suspended.
    ~VirtualTelvar() { link.closeDown(); }
    VirtualTelvar(const VirtualTelvar&) = delete;
    VirtualTelvar& operator=(const VirtualTelvar&) = delete;

    VirtualDevice& device() { return library.device(); }

    // Attaches the link and waits until the device is announced and its replies are read.
    bool attach() {
        link.hidattach();
        return QTest::qWaitFor([this] { return link.isAttached() && library.readNotifyEnabled(); }, 10000);
    }

    // Sensor readings in order ("5,7,1200x100"), then 0.
    void script(const QString& readings) {
        QString error;
        device().setSensorScript(*SensorScript::parse(readings, &error));
    }
    // Faults as the --fault option takes them ("drop:D", "unplug-after:5", ...).
    void fault(const QStringList& specs) {
        FaultSet faults;
        for (const QString& spec : specs)
            faults.add(spec);
        device().setFaults(faults);
    }
    void fault(const QString& spec) { fault(QStringList{spec}); }

    // Word indexes the device has spoken, in order.
    QList<int> spoken() {
        QList<int> indexes;
        for (const Utterance& utterance : device().speechLog())
            indexes << utterance.address / 8;
        return indexes;
    }
    // "D" reports the device has taken.
    int readingsTaken() {
        int count = 0;
        for (const auto& report : device().receivedReports())
            count += report[1] == 'D';
        return count;
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

// Runs the event loop until `done` holds. Unlike QTRY_*, which sleeps between its rounds, it lets a long
// device sequence run at the pace of its own timers.
inline bool runUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(5);
    if (!done())
        loop.exec();
    return done();
}

} // namespace telvar::test
