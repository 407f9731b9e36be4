#pragma once

#include <QObject>
#include <QtGlobal>

namespace telvar {

// The HID library contract the program is written against. A backend delivers its notifications on the
// thread that owns it (the GUI thread), one `notify` per event, in the order they happened.
class HidLibrary : public QObject {
    Q_OBJECT
public:
    using Handle = qintptr;
    enum Notification { Plugged = 1, Unplugged = 2, Changed = 3, ReadReady = 4 };

    // An input report as Read delivers it: byte 0 the report id, bytes 1-8 the data.
    static constexpr int kInputReportSize = 9;
    // The bytes of the output buffer WriteEx sends: byte 0 the report id, bytes 1-8 the data.
    static constexpr int kOutputReportSize = 9;

    using QObject::QObject;
    ~HidLibrary() override = default;

    // Starts the notifications. A Telvar X that is already attached is announced as plugged.
    virtual bool Connect() = 0;
    virtual bool Disconnect() = 0;
    virtual int GetVendorID(Handle handle) = 0;
    virtual int GetProductID(Handle handle) = 0;
    // 0 when no such device is attached.
    virtual Handle GetHandle(int vendorId, int productId) = 0;
    virtual void SetReadNotify(Handle handle, bool enabled) = 0;
    // Copies the oldest pending input report into `buffer` (kInputReportSize bytes); false when none.
    virtual bool Read(Handle handle, quint8* buffer) = 0;
    // Sends kOutputReportSize bytes of `buffer` to the device with these ids; false when it is absent.
    virtual bool WriteEx(int vendorId, int productId, const quint8* buffer) = 0;

Q_SIGNALS:
    void notify(int notification, telvar::HidLibrary::Handle handle);
};

} // namespace telvar
