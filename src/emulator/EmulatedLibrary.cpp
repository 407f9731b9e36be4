// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/EmulatedLibrary.h"

#include "device/DeviceIdentity.h"
#include "device/Timings.h"

#include <QTimer>

#include <algorithm>

namespace telvar {

EmulatedLibrary::EmulatedLibrary(QObject* parent) : HidLibrary(parent) {
    m_handle = newHandle(kVendorId, kProductId);
    connect(&m_device, &VirtualDevice::replied, this, &EmulatedLibrary::takeReply, Qt::QueuedConnection);
    // The device leaves while it takes a report: the bus must know before the next write.
    connect(&m_device, &VirtualDevice::leaving, this, &EmulatedLibrary::unplug, Qt::DirectConnection);
}

EmulatedLibrary::~EmulatedLibrary() = default;

std::unique_ptr<EmulatedLibrary> EmulatedLibrary::create(const EmulatorOptions& options, QString* error,
                                                         QObject* parent) {
    auto library = std::make_unique<EmulatedLibrary>(parent);
    VirtualDevice& device = library->device();
    if (options.sensorScript)
        device.setSensorScript(*options.sensorScript);
    else
        device.setSensorSeed(options.sensorSeed);
    device.setFaults(options.faults);
    device.setLatency(options.latency);
    if (!options.stateFile.isEmpty()) {
        const QString problem = device.openStateFile(options.stateFile);
        if (!problem.isEmpty()) {
            if (error)
                *error = problem;
            return nullptr;
        }
    }
    return library;
}

// --- The library contract -------------------------------------------------------------------------------

bool EmulatedLibrary::Connect() {
    m_connected = true;
    for (Handle handle : presentHandles())
        QTimer::singleShot(Timings::scaled(Timings::kAnnounceDelay), this,
                           [this, handle] { announce(handle); });
    return true;
}

bool EmulatedLibrary::Disconnect() {
    m_connected = false;
    m_readNotify = false;
    // As on real hardware, reports not read by now are gone: none may pass for the reply to a command
    // sent after connecting again.
    m_pending.clear();
    return true;
}

int EmulatedLibrary::GetVendorID(Handle handle) {
    const auto found = m_ids.find(handle);
    return found == m_ids.end() ? 0 : found->second.vendor;
}

int EmulatedLibrary::GetProductID(Handle handle) {
    const auto found = m_ids.find(handle);
    return found == m_ids.end() ? 0 : found->second.product;
}

QString EmulatedLibrary::GetSerialNumber(Handle handle) {
    // Every handle the Telvar X ever had is the one virtual device; foreign devices report none, also
    // while their leaving is handled.
    const auto found = m_ids.find(handle);
    const bool telvar = found != m_ids.end() && !found->second.foreign;
    return telvar ? m_device.serialNumber() : QString();
}

QString EmulatedLibrary::GetPath(Handle handle) {
    // The state file is where a virtual device is; one kept in memory is "virtual", as it is listed.
    if (GetSerialNumber(handle).isEmpty())
        return {};
    return m_device.stateFile().isEmpty() ? QStringLiteral("virtual") : m_device.stateFile();
}

HidLibrary::Handle EmulatedLibrary::GetHandle(int vendorId, int productId) {
    const QList<Handle> present = presentHandles();
    const auto found = std::find_if(present.begin(), present.end(), [&](Handle handle) {
        return GetVendorID(handle) == vendorId && GetProductID(handle) == productId;
    });
    return found == present.end() ? 0 : *found;
}

void EmulatedLibrary::SetReadNotify(Handle handle, bool enabled) {
    if (handle == 0 || handle != m_handle)
        return;
    const bool wasEnabled = std::exchange(m_readNotify, enabled);
    // Reports that came while nobody listened are announced now, one notification each.
    if (enabled && !wasEnabled) {
        for (std::size_t i = 0; i < m_pending.size(); ++i)
            post(ReadReady, handle);
    }
}

bool EmulatedLibrary::Read(Handle handle, quint8* buffer) {
    if (handle == 0 || handle != m_handle || m_pending.empty())
        return false;
    const QByteArray report = m_pending.front();
    m_pending.pop_front();
    std::copy(report.begin(), report.end(), buffer);
    return true;
}

QFuture<WriteOutcome> EmulatedLibrary::WriteEx(int vendorId, int productId, const OutputReport& report) {
    WriteOutcome outcome;
    if (!m_connected)
        outcome.error = QStringLiteral("the HID library is not connected");
    else if (!m_handle || vendorId != kVendorId || productId != kProductId) {
        outcome.absent = true;
        outcome.error = QStringLiteral("the Telvar X is not connected");
    } else if (!m_device.receive(report.data()))
        outcome.error = QStringLiteral("the device refused the report");
    else
        outcome.sent = true;
    return QtFuture::makeReadyFuture(outcome);
}

// --- The bus --------------------------------------------------------------------------------------------

void EmulatedLibrary::plug() {
    if (m_handle)
        return;
    m_handle = newHandle(kVendorId, kProductId);
    m_device.powerOn();
    post(Plugged, m_handle);
    post(Changed, 0);
    Q_EMIT pluggedChanged(true);
}

void EmulatedLibrary::unplug() {
    if (!m_handle)
        return;
    const Handle gone = std::exchange(m_handle, 0);
    m_readNotify = false;
    m_pending.clear();
    m_device.powerOff();
    post(Unplugged, gone);
    post(Changed, 0);
    Q_EMIT pluggedChanged(false);
}

HidLibrary::Handle EmulatedLibrary::plugForeign(int vendorId, int productId) {
    const Handle handle = newHandle(vendorId, productId, true);
    m_foreign.append(handle);
    post(Plugged, handle);
    post(Changed, 0);
    return handle;
}

bool EmulatedLibrary::unplugForeign(int vendorId, int productId) {
    const auto found = std::find_if(m_foreign.begin(), m_foreign.end(), [&](Handle handle) {
        return GetVendorID(handle) == vendorId && GetProductID(handle) == productId;
    });
    if (found == m_foreign.end())
        return false;
    const Handle gone = *found;
    m_foreign.erase(found);
    post(Unplugged, gone);
    post(Changed, 0);
    return true;
}

HidLibrary::Handle EmulatedLibrary::newHandle(int vendorId, int productId, bool foreign) {
    const Handle handle = ++m_lastHandle;
    m_ids[handle] = {vendorId, productId, foreign};
    return handle;
}

void EmulatedLibrary::post(int notification, Handle handle) {
    if (!m_connected)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, notification, handle] {
            if (m_connected)
                Q_EMIT notify(notification, handle);
        },
        Qt::QueuedConnection);
}

QList<HidLibrary::Handle> EmulatedLibrary::presentHandles() const {
    QList<Handle> present = m_foreign;
    if (m_handle)
        present.prepend(m_handle);
    return present;
}

void EmulatedLibrary::announce(Handle handle) {
    if (!m_connected || !presentHandles().contains(handle))
        return;
    Q_EMIT notify(Plugged, handle);
    Q_EMIT notify(Changed, 0);
}

void EmulatedLibrary::takeReply(const QByteArray& report, quint64 session) {
    // A reply made before the device lost power never reaches the bus; nobody hears one while disconnected.
    if (!m_handle || !m_connected || session != m_device.session())
        return;
    m_pending.push_back(report);
    if (m_readNotify)
        Q_EMIT notify(ReadReady, m_handle);
}

} // namespace telvar
