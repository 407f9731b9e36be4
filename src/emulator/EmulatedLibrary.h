// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/HidLibrary.h"
#include "emulator/EmulatorOptions.h"
#include "emulator/VirtualDevice.h"

#include <QByteArray>
#include <QList>

#include <deque>
#include <map>
#include <memory>

namespace telvar {

// The HID library over the virtual Telvar X, for `--simulate` and for tests. The device is on the bus from
// the start; `Connect` announces it as plugged shortly after (then Changed), as the real library announces
// a device that is already attached. Lives on the GUI thread; notifications are delivered from its event
// loop, in the order they happened.
class EmulatedLibrary : public HidLibrary {
    Q_OBJECT
public:
    explicit EmulatedLibrary(QObject* parent = nullptr);
    ~EmulatedLibrary() override;

    // The virtual device set up from the options (state file, sensor, faults, latency). On failure (a
    // damaged or unreadable state file) returns nothing and says why in `error`.
    static std::unique_ptr<EmulatedLibrary> create(const EmulatorOptions& options, QString* error,
                                                   QObject* parent = nullptr);

    VirtualDevice& device() { return m_device; }
    const VirtualDevice& device() const { return m_device; }

    // --- The library contract ---------------------------------------------------------------------------
    bool Connect() override;
    bool Disconnect() override;
    int GetVendorID(Handle handle) override;
    int GetProductID(Handle handle) override;
    QString GetSerialNumber(Handle handle) override;
    QString GetPath(Handle handle) override;
    Handle GetHandle(int vendorId, int productId) override;
    void SetReadNotify(Handle handle, bool enabled) override;
    bool Read(Handle handle, quint8* buffer) override;
    QFuture<WriteOutcome> WriteEx(int vendorId, int productId, const OutputReport& report) override;

    // --- The bus, for tests and the simulate menu ----------------------------------------------------------
    // The Telvar X arrives (powered up, with a new handle) or leaves. Both do nothing when already so.
    void plug();
    void unplug();
    bool isPlugged() const { return m_handle != 0; }
    // The Telvar X's handle while it is plugged, else 0.
    Handle handle() const { return m_handle; }
    bool readNotifyEnabled() const { return m_readNotify; }
    qsizetype pendingReports() const { return static_cast<qsizetype>(m_pending.size()); }

    // Another HID device arrives or leaves (for example vendor 1240 with another product id).
    Handle plugForeign(int vendorId, int productId);
    // The first attached foreign device with these ids leaves; false when there is none.
    bool unplugForeign(int vendorId, int productId);

Q_SIGNALS:
    void pluggedChanged(bool plugged);

private:
    struct Ids {
        int vendor;
        int product;
        bool foreign; // not the virtual Telvar X, even with its ids; kept after it left
    };

    Handle newHandle(int vendorId, int productId, bool foreign = false);
    // The Telvar X (while plugged) first, then the foreign devices.
    QList<Handle> presentHandles() const;
    void post(int notification, Handle handle);
    void announce(Handle handle);
    void takeReply(const QByteArray& report, quint64 session);

    VirtualDevice m_device;
    std::map<Handle, Ids> m_ids; // every handle ever given out stays answerable
    QList<Handle> m_foreign;     // foreign devices on the bus
    Handle m_handle = 0;         // the Telvar X, 0 while it is not on the bus
    Handle m_lastHandle = 0;
    bool m_connected = false;
    bool m_readNotify = false;
    std::deque<QByteArray> m_pending;
};

} // namespace telvar
