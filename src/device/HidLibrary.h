// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFuture>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <array>

namespace telvar {

// How one output report fared.
struct WriteOutcome {
    bool sent = false;
    bool absent = false; // not sent because no such device is attached (any more)
    QString error; // why it was not sent, for the user: "the Telvar X is not connected", the system's text
};

// The HID library contract the program is written against. A backend delivers its notifications on the
// thread that owns it (the GUI thread), one `notify` per event, in the order they happened.
class HidLibrary : public QObject {
    Q_OBJECT
public:
    using Handle = qintptr;
    enum Notification { Plugged = 1, Unplugged = 2, Changed = 3, ReadReady = 4 };

    // An input report as Read delivers it: byte 0 the report id, bytes 1-8 the data.
    static constexpr int kInputReportSize = 9;
    // An output report as WriteEx sends it: byte 0 the report id, bytes 1-8 the data.
    static constexpr int kOutputReportSize = 9;
    using OutputReport = std::array<quint8, kOutputReportSize>;

    using QObject::QObject;
    ~HidLibrary() override = default;

    // Starts the notifications. A Telvar X that is already attached is announced as plugged.
    virtual bool Connect() = 0;
    // Stops them. Reports not read by now are dropped.
    virtual bool Disconnect() = 0;
    virtual int GetVendorID(Handle handle) = 0;
    virtual int GetProductID(Handle handle) = 0;
    // The device's serial number as it reports it; empty when it reports none or the handle is unknown.
    virtual QString GetSerialNumber(Handle handle) = 0;
    // Where the device is: its device node, or a virtual device's state file; empty when the handle is
    // unknown. With the serial number it tells one Telvar X from another.
    virtual QString GetPath(Handle handle) = 0;
    // 0 when no such device is attached.
    virtual Handle GetHandle(int vendorId, int productId) = 0;
    virtual void SetReadNotify(Handle handle, bool enabled) = 0;
    // Copies the oldest pending input report into `buffer` (kInputReportSize bytes); false when none.
    virtual bool Read(Handle handle, quint8* buffer) = 0;
    // Sends the report to the device with these ids. Reports go out in the order they were given, and the
    // future finishes once the report is written or has failed; it may finish on another thread. A write
    // fails (`sent` false, with a reason) before Connect, after Disconnect, while no device with these
    // ids is attached, and once it has left: nothing written then reaches a device.
    virtual QFuture<WriteOutcome> WriteEx(int vendorId, int productId, const OutputReport& report) = 0;

Q_SIGNALS:
    void notify(int notification, telvar::HidLibrary::Handle handle);
};

} // namespace telvar
