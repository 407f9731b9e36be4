// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceIoThread.h"
#include "device/HidDeviceInfo.h"
#include "device/HidLibrary.h"
#include "device/HidReportReader.h"
#include "device/HidWriter.h"
#include "device/HidapiDevices.h"
#include "files/NodeLock.h"
#include "files/ProcessLock.h"

#include <QList>
#include <QString>

#include <array>
#include <chrono>
#include <deque>
#include <map>
#include <memory>

namespace telvar {

class HotplugMonitor;

// The HID library on real hardware: hidapi's hidraw backend talks to the Telvar X, and hot-plug comes
// from udev (or, where udev is missing, from scanning the devices every second). Every HID device that
// comes or goes is announced; only the Telvar X is opened, and it is announced once it could be opened.
// Enumerating, opening and writing run on one device I/O thread, in the order asked; reading runs on a
// thread per device. Their results come back to the owner's thread through its event loop.
//
// A Telvar X is used by one process at a time: hidraw hands every process that opens the node its own
// copy of each input report, so two programs would take each other's replies. The library claims the
// device before opening it (a lock file named after its node in the user's runtime folder, which says who
// holds it, and an exclusive flock on the node itself, which keeps out every user's programs, root's
// too), holds the claim while the device stays open, and while another program holds it tries again
// every second.
class HidapiLibrary : public HidLibrary {
    Q_OBJECT
public:
    enum class HotplugSource { Udev, Polling };

    // Right after an add the device node may not yet grant access (udev is still applying the rules).
    static constexpr std::chrono::milliseconds kOpenRetryPeriod{2000};
    static constexpr int kOpenAttempts = 4;
    static constexpr std::chrono::milliseconds kScanPeriod{1000};
    // Input reports kept for a device whose owner does not read them; the oldest goes first.
    static constexpr int kMaxPendingReports = 64;
    // How often a device that another program holds is tried again.
    static constexpr std::chrono::milliseconds kInUseRetryPeriod{1000};

    // Udev falls back to polling where there is no udev. The periods are scaled like protocol periods.
    explicit HidapiLibrary(HotplugSource source = HotplugSource::Udev, QObject* parent = nullptr);
    ~HidapiLibrary() override;

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

    // Why the last Telvar X could not be opened, with what to do about it; empty once one opened.
    QString errorString() const { return m_error; }

    // The Telvar X devices attached now, whether or not a library is connected. Blocks while it looks.
    static QList<HidDeviceInfo> attachedDevices();
    // Who holds the Telvar X at this node, "PROGRAM (process N)"; empty when nobody does.
    static QString holderOf(const QString& path);

    // Only the Telvar X with this serial number, or at this node, is opened and announced; the others are
    // left to other programs as if they were not there. A serial number finds the device again when it
    // comes back at another node. Set before Connect. A library that was given none keeps to the first
    // Telvar X it claims, by its serial number (its node when it reports none), as if it had been named.
    void chooseDevice(const QString& serialOrPath) {
        m_chosen = serialOrPath;
        m_chosenKept = !serialOrPath.isEmpty();
    }
    // The serial number or node of the Telvar X this library keeps to; empty while it has none.
    const QString& chosenDevice() const { return m_chosen; }

Q_SIGNALS:
    // A Telvar X is attached but could not be opened, after every retry; `message` says what to do.
    void openFailed(const QString& message);
    // A Telvar X is attached but another program holds it: "The Telvar X is in use by PROGRAM (process
    // N)". It is opened and announced on its own once that program lets go.
    void inUse(const QString& message);

private:
    using Report = std::array<quint8, kInputReportSize>;
    struct Opened;

    struct Device {
        HidDeviceInfo info;
        std::unique_ptr<ProcessLock> claim; // the Telvar X only, while it is opened or being opened
        std::unique_ptr<NodeLock> nodeLock; // likewise
        std::shared_ptr<HidWriter> writer;  // the Telvar X only, once opened
        std::unique_ptr<HidReportReader> reader;
        std::deque<Report> pending;
        int openAttempts = 0;
        bool opening = false;
        bool announced = false;
        bool readNotify = false;
    };

    std::unique_ptr<HotplugMonitor> createMonitor();
    void onDevicesChanged(const QString& departedNode);
    void requestRescan(const QString& departedPath = {});
    void rescanned(QList<HidDeviceInfo> present, const QString& departedPath);
    bool depart(Handle handle);
    bool announce(Handle handle);
    void requestOpen(Handle handle);
    bool claim(Handle handle, Device& device);
    bool claimNode(Device& device);
    void opened(Handle handle, Opened& result);
    void giveUpOpening(const Device& device, int error);
    void onReport(Handle handle, const QByteArray& data);
    void onReaderFailed(Handle handle, const QString& reason);
    const HidDeviceInfo* info(Handle handle) const;
    // Whether this library may use the Telvar X described: the chosen one, or any while none is.
    bool mayUse(const HidDeviceInfo& info) const;
    void adopt(const HidDeviceInfo& info);
    void forgetAdopted();

    HotplugSource m_source;
    std::unique_ptr<HotplugMonitor> m_monitor;
    std::map<Handle, Device> m_devices;
    // Devices just gone: their ids must still answer while their unplugged notification is handled.
    std::map<Handle, HidDeviceInfo> m_departed;
    Handle m_nextHandle = 1;
    bool m_connected = false;
    // Counts connections, so that a scan or open asked for by an earlier one is recognised and dropped.
    quint64 m_generation = 0;
    QString m_error;
    QString m_chosen;
    // The chosen device was named, or has been opened: it is kept even while it is away. A device only
    // claimed so far is let go when it cannot be opened or leaves, so that the next one can be taken.
    bool m_chosenKept = false;
    // Last, so that it goes first: no result reaches a half-destroyed library.
    DeviceIoThread m_io{this};
};

} // namespace telvar
