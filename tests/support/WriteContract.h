// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every HID backend promises about WriteEx, as one test body that each backend's test runs with its
// own device: a write is refused with a reason whenever no Telvar X can take it, and reports that are
// accepted reach the device complete and in the order they were given.

#include "device/DeviceIdentity.h"
#include "device/HidLibrary.h"

#include <QList>
#include <QTest>

#include <functional>

namespace telvar::testing {

struct WriteContractBus {
    std::function<void()> plug;   // the Telvar X arrives
    std::function<void()> unplug; // it leaves; the library need not have noticed yet
    // The output reports the device took so far, oldest first.
    std::function<QList<HidLibrary::OutputReport>()> received;
};

inline constexpr int kWriteContractWait = 5000; // ms; the events come within milliseconds

inline bool finishes(const QFuture<WriteOutcome>& future) {
    return QTest::qWaitFor([&] { return future.isFinished(); }, kWriteContractWait);
}

inline HidLibrary::OutputReport contractReport(int sequence) {
    return {0, 'Z', 0, 0, 0, 0, 0, quint8(sequence >> 8), quint8(sequence)};
}

// Checks a refused write: it finishes, says why, and nothing reaches the device.
inline void checkRefused(HidLibrary& library, const WriteContractBus& bus, const char* when) {
    const qsizetype before = bus.received().size();
    const QFuture<WriteOutcome> write = library.WriteEx(kVendorId, kProductId, contractReport(0xFFFF));
    QVERIFY2(finishes(write), when);
    QVERIFY2(!write.result().sent, when);
    QVERIFY2(!write.result().error.isEmpty(), when);
    QVERIFY2(bus.received().size() == before, when);
}

// Starts with the library not connected and the Telvar X attached or not; leaves it disconnected.
inline void checkWriteContract(HidLibrary& library, const WriteContractBus& bus) {
    checkRefused(library, bus, "before Connect");
    if (QTest::currentTestFailed())
        return;

    QVERIFY(library.Connect());
    bus.plug();
    QVERIFY(
        QTest::qWaitFor([&] { return library.GetHandle(kVendorId, kProductId) != 0; }, kWriteContractWait));
    // Enough reports in a row that a backend which reorders or drops some is caught.
    constexpr int kReports = 40;
    const qsizetype before = bus.received().size();
    QList<QFuture<WriteOutcome>> writes;
    for (int i = 0; i < kReports; ++i)
        writes.append(library.WriteEx(kVendorId, kProductId, contractReport(i)));
    for (const QFuture<WriteOutcome>& write : writes) {
        QVERIFY(finishes(write));
        QVERIFY2(write.result().sent, qPrintable(write.result().error));
    }
    QVERIFY(QTest::qWaitFor([&] { return bus.received().size() >= before + kReports; }, kWriteContractWait));
    const QList<HidLibrary::OutputReport> received = bus.received().mid(before);
    QCOMPARE(received.size(), kReports);
    for (int i = 0; i < kReports; ++i)
        QCOMPARE(received[i], contractReport(i));

    const HidLibrary::Handle first = library.GetHandle(kVendorId, kProductId);
    bus.unplug();
    checkRefused(library, bus, "after unplug");
    if (QTest::currentTestFailed())
        return;

    bus.plug();
    QVERIFY(QTest::qWaitFor(
        [&] {
            const HidLibrary::Handle now = library.GetHandle(kVendorId, kProductId);
            return now != 0 && now != first;
        },
        kWriteContractWait));
    QVERIFY(library.Disconnect());
    checkRefused(library, bus, "after Disconnect");
}

} // namespace telvar::testing
