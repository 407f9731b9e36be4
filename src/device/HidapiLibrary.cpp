// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/HidapiLibrary.h"

#include "device/DeviceIdentity.h"
#include "device/DeviceLink.h"
#include "device/PollingHotplugMonitor.h"
#include "device/Timings.h"
#include "device/UdevRuleHint.h"
#ifdef TELVAR_HAVE_UDEV
#include "device/UdevHotplugMonitor.h"
#endif

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cerrno>

namespace telvar {

namespace {
const QString kLibraryClosed = QStringLiteral("the HID library is not connected");

bool isTelvar(const HidDeviceInfo& info) {
    return info.vendorId == kVendorId && info.productId == kProductId;
}

QFuture<WriteOutcome> notSent(const QString& reason, bool absent) {
    return QtFuture::makeReadyFuture(WriteOutcome{.sent = false, .absent = absent, .error = reason});
}

// Keyed by the node, so that every program of every kind (the window, telvarctl) meets the same lock.
QString claimPath(const QString& node) {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(runtime).filePath(QStringLiteral("telvar-%1.lock").arg(QFileInfo(node).fileName()));
}
} // namespace

// The two handles of a Telvar X as the I/O thread opened them: one to write, one for the reader thread.
struct HidapiLibrary::Opened {
    hidapi::DevicePtr writer;
    hidapi::DevicePtr reader;
    int error = 0; // errno of the open that failed
};

HidapiLibrary::HidapiLibrary(HotplugSource source, QObject* parent) : HidLibrary(parent), m_source(source) {}

HidapiLibrary::~HidapiLibrary() {
    Disconnect();
}

bool HidapiLibrary::Connect() {
    if (m_connected)
        return true;
    if (!hidapi::initialise()) {
        qCWarning(lcDevice) << "hidapi could not be initialised";
        return false;
    }
    m_monitor = createMonitor();
    connect(m_monitor.get(), &HotplugMonitor::devicesChanged, this, &HidapiLibrary::onDevicesChanged);
    m_connected = true;
    ++m_generation;
    // Devices attached already are announced when the scan comes back, never from inside Connect.
    requestRescan();
    return true;
}

bool HidapiLibrary::Disconnect() {
    if (!m_connected)
        return false;
    m_connected = false;
    ++m_generation;
    m_monitor.reset();
    for (auto& [handle, device] : m_devices) {
        if (device.writer)
            device.writer->close();
    }
    m_devices.clear();
    m_departed.clear();
    forgetAdopted();
    return true;
}

bool HidapiLibrary::mayUse(const HidDeviceInfo& info) const {
    return m_chosen.isEmpty() || info.path == m_chosen || info.serialNumber == m_chosen;
}

void HidapiLibrary::adopt(const HidDeviceInfo& info) {
    if (!m_chosen.isEmpty())
        return;
    m_chosen = info.serialNumber.isEmpty() ? info.path : info.serialNumber;
    qCInfo(lcDevice) << "keeping to the Telvar X" << m_chosen;
}

void HidapiLibrary::forgetAdopted() {
    if (m_chosenKept || m_chosen.isEmpty())
        return;
    qCInfo(lcDevice) << "the Telvar X" << m_chosen << "was never opened; the next one may be taken";
    m_chosen.clear();
}

std::unique_ptr<HotplugMonitor> HidapiLibrary::createMonitor() {
#ifdef TELVAR_HAVE_UDEV
    if (m_source == HotplugSource::Udev) {
        auto udev = std::make_unique<UdevHotplugMonitor>();
        if (udev->start())
            return udev;
        qCWarning(lcDevice) << "no udev monitor; looking for devices every second instead";
    }
#endif
    auto polling = std::make_unique<PollingHotplugMonitor>(Timings::scaled(kScanPeriod));
    polling->start();
    return polling;
}

void HidapiLibrary::onDevicesChanged(const QString& departedNode) {
    // A removed node is gone for sure: writes to it fail from now on, without waiting for the scan.
    const auto gone = std::find_if(m_devices.cbegin(), m_devices.cend(), [&](const auto& entry) {
        return !departedNode.isEmpty() && entry.second.info.path == departedNode;
    });
    if (gone != m_devices.cend() && depart(gone->first)) {
        if (!m_connected)
            return; // a receiver disconnected us
        Q_EMIT notify(Changed, 0);
    }
    if (m_connected)
        requestRescan(departedNode);
}

void HidapiLibrary::requestRescan(const QString& departedPath) {
    const quint64 generation = m_generation;
    m_io.run([] { return hidapi::enumerate(); },
             [this, generation, departedPath](QList<HidDeviceInfo> present) {
                 if (generation == m_generation)
                     rescanned(std::move(present), departedPath);
             });
}

void HidapiLibrary::rescanned(QList<HidDeviceInfo> present, const QString& departedPath) {
    // The scan may still list a node for a moment after its device left.
    present.removeIf([&](const HidDeviceInfo& d) { return d.path == departedPath; });
    const auto isPresent = [&](const QString& path) {
        return std::any_of(present.cbegin(), present.cend(),
                           [&](const HidDeviceInfo& d) { return d.path == path; });
    };
    const auto isKnown = [this](const QString& path) {
        return std::any_of(m_devices.cbegin(), m_devices.cend(),
                           [&](const auto& entry) { return entry.second.info.path == path; });
    };

    bool changed = false;
    std::vector<Handle> gone;
    for (const auto& [handle, device] : m_devices) {
        if (!isPresent(device.info.path))
            gone.push_back(handle);
    }
    for (Handle handle : gone) {
        changed |= depart(handle);
        if (!m_connected)
            return; // a receiver disconnected us
    }
    // Another Telvar X than the one chosen is another program's business: not even its leaving is told.
    present.removeIf([this](const HidDeviceInfo& d) { return isTelvar(d) && !mayUse(d); });
    for (const HidDeviceInfo& info : present) {
        if (isKnown(info.path))
            continue;
        const Handle handle = m_nextHandle++;
        m_devices[handle].info = info;
        qCDebug(lcDevice).nospace() << "HID device " << Qt::hex << info.vendorId << ":" << info.productId
                                    << " at " << info.path;
        if (isTelvar(info)) {
            requestOpen(handle); // announced once it is open
            continue;
        }
        changed |= announce(handle);
        if (!m_connected)
            return;
    }
    if (changed)
        Q_EMIT notify(Changed, 0);
}

bool HidapiLibrary::depart(Handle handle) {
    auto node = m_devices.extract(handle);
    if (node.empty())
        return false;
    qCDebug(lcDevice) << "HID device gone from" << node.mapped().info.path;
    if (isTelvar(node.mapped().info) && mayUse(node.mapped().info))
        forgetAdopted();
    const bool announced = node.mapped().announced;
    const HidDeviceInfo info = node.mapped().info;
    if (node.mapped().writer)
        node.mapped().writer->close();
    node = {}; // stops its reader before anyone hears of the removal
    if (!announced)
        return false;
    m_departed.emplace(handle, info);
    Q_EMIT notify(Unplugged, handle);
    // A receiver on a queued connection is called before this, as its event was posted first.
    QMetaObject::invokeMethod(
        this, [this, handle] { m_departed.erase(handle); }, Qt::QueuedConnection);
    return true;
}

bool HidapiLibrary::announce(Handle handle) {
    auto it = m_devices.find(handle);
    if (it == m_devices.end() || it->second.announced)
        return false;
    it->second.announced = true;
    Q_EMIT notify(Plugged, handle);
    return true;
}

QString HidapiLibrary::holderOf(const QString& path) {
    ProcessLock claim(claimPath(path));
    if (claim.acquire(std::chrono::milliseconds(0)) == ProcessLock::Outcome::HeldByOther)
        return claim.holder();
    NodeLock node(path);
    return node.acquire() == NodeLock::Outcome::HeldByOther ? node.holder() : QString();
}

bool HidapiLibrary::claimNode(Device& device) {
    if (!device.nodeLock)
        device.nodeLock = std::make_unique<NodeLock>(device.info.path);
    switch (device.nodeLock->acquire()) {
    case NodeLock::Outcome::Held:
        return true;
    case NodeLock::Outcome::Failed:
        // The open that follows fails the same way and says what to do about it.
        qCDebug(lcDevice).noquote() << "the Telvar X's node cannot be locked:" << device.nodeLock->error();
        return true;
    case NodeLock::Outcome::HeldByOther:
        break;
    }
    return false;
}

bool HidapiLibrary::claim(Handle handle, Device& device) {
    if (!device.claim)
        device.claim = std::make_unique<ProcessLock>(claimPath(device.info.path));
    QString holder;
    bool refused = false;
    switch (device.claim->acquire(std::chrono::milliseconds(0))) {
    case ProcessLock::Outcome::Held:
        break;
    case ProcessLock::Outcome::NoLockFile:
        // Without a runtime folder there is nowhere to meet this user's programs; the node lock still
        // keeps out everyone else's.
        qCWarning(lcDevice).noquote() << "the Telvar X cannot be claimed:" << device.claim->error();
        break;
    case ProcessLock::Outcome::HeldByOther:
        holder = device.claim->holder();
        refused = true;
        break;
    case ProcessLock::Outcome::NotALockFile:
        refused = true;
        break;
    }
    if (!refused && claimNode(device)) {
        // From the first claim on, every other Telvar X is left alone: two taken at once would both be
        // held, and the window would follow whichever came last.
        adopt(device.info);
        return true;
    }
    if (!refused) {
        holder = device.nodeLock->holder();
        device.claim->release();
    }
    const QString message =
        !holder.isEmpty() ? QStringLiteral("The Telvar X is in use by %1").arg(holder)
                          : QStringLiteral("The Telvar X cannot be claimed: %1").arg(device.claim->error());
    if (message != m_error) {
        m_error = message;
        qCInfo(lcDevice).noquote() << message;
        Q_EMIT inUse(message);
    }
    QTimer::singleShot(Timings::scaled(kInUseRetryPeriod), this, [this, handle] { requestOpen(handle); });
    return false;
}

void HidapiLibrary::requestOpen(Handle handle) {
    auto it = m_devices.find(handle);
    if (it == m_devices.end() || it->second.writer || it->second.opening)
        return;
    if (!mayUse(it->second.info)) {
        // Another Telvar X was taken meanwhile (this one was found with it, or was in use): it is left to
        // other programs, unannounced, and comes up again only if that one is let go.
        m_devices.erase(it);
        return;
    }
    if (!claim(handle, it->second))
        return;
    ++it->second.openAttempts;
    it->second.opening = true;
    // Handles are never given out twice, so a result for a handle that is gone (or belongs to an earlier
    // connection) finds nothing and is dropped.
    m_io.run(
        [path = it->second.info.path] {
            auto result = std::make_shared<Opened>();
            result->writer = hidapi::open(path, &result->error);
            if (result->writer)
                result->reader = hidapi::open(path, &result->error);
            return result;
        },
        [this, handle](const std::shared_ptr<Opened>& result) { opened(handle, *result); });
}

void HidapiLibrary::opened(Handle handle, Opened& result) {
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return;
    Device& device = it->second;
    device.opening = false;
    if (!result.writer || !result.reader) {
        // Not held across the wait: a device this program cannot open may still serve another.
        device.claim.reset();
        device.nodeLock.reset();
        if (device.openAttempts >= kOpenAttempts) {
            giveUpOpening(device, result.error);
            return;
        }
        qCDebug(lcDevice) << "cannot open" << device.info.path << "yet; trying again";
        QTimer::singleShot(Timings::scaled(kOpenRetryPeriod), this, [this, handle] { requestOpen(handle); });
        return;
    }
    device.writer = std::make_shared<HidWriter>(std::move(result.writer), device.info.path);
    device.reader = std::make_unique<HidReportReader>(std::move(result.reader));
    connect(device.reader.get(), &HidReportReader::reportRead, this,
            [this, handle](const QByteArray& data) { onReport(handle, data); });
    connect(device.reader.get(), &HidReportReader::failed, this,
            [this, handle](const QString& reason) { onReaderFailed(handle, reason); });
    device.reader->start();
    qCInfo(lcDevice) << "Telvar X opened at" << device.info.path << "serial" << device.info.serialNumber;
    m_chosenKept = true;
    m_error.clear();
    if (announce(handle) && m_connected)
        Q_EMIT notify(Changed, 0);
}

void HidapiLibrary::giveUpOpening(const Device& device, int error) {
    const QString& path = device.info.path;
    if (error == EACCES || error == EPERM)
        m_error = UdevRuleHint().permissionDeniedMessage(path);
    else
        m_error =
            QStringLiteral("Could not open the Telvar X (%1). Unplug it and plug it in again.").arg(path);
    qCWarning(lcDevice).noquote() << m_error;
    Q_EMIT openFailed(m_error);
    // A device taken only because it came first, and now given up on, does not keep out the others.
    if (!m_chosenKept && m_connected) {
        forgetAdopted();
        requestRescan();
    }
}

void HidapiLibrary::onReport(Handle handle, const QByteArray& data) {
    auto it = m_devices.find(handle);
    // Nobody listens to a device whose read notification is off: its reports are dropped, so that a
    // listener never takes a stale report for the reply to its command.
    if (it == m_devices.end() || !it->second.announced || !it->second.readNotify)
        return;
    Report report{}; // report id 0, then the data bytes
    std::copy_n(data.constData(), std::min<qsizetype>(data.size(), kInputReportSize - 1), report.begin() + 1);
    std::deque<Report>& pending = it->second.pending;
    if (pending.size() >= std::size_t(kMaxPendingReports))
        pending.pop_front();
    pending.push_back(report);
    Q_EMIT notify(ReadReady, handle);
}

void HidapiLibrary::onReaderFailed(Handle handle, const QString& reason) {
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return;
    qCInfo(lcDevice) << "reading from" << it->second.info.path << "failed:" << reason;
    // The device is gone, or as good as gone: treat it as removed even if its node lingers a moment.
    if (depart(handle) && m_connected)
        Q_EMIT notify(Changed, 0);
}

const HidDeviceInfo* HidapiLibrary::info(Handle handle) const {
    if (auto it = m_devices.find(handle); it != m_devices.end())
        return &it->second.info;
    if (auto it = m_departed.find(handle); it != m_departed.end())
        return &it->second;
    return nullptr;
}

int HidapiLibrary::GetVendorID(Handle handle) {
    const HidDeviceInfo* device = info(handle);
    return device ? device->vendorId : 0;
}

int HidapiLibrary::GetProductID(Handle handle) {
    const HidDeviceInfo* device = info(handle);
    return device ? device->productId : 0;
}

QString HidapiLibrary::GetSerialNumber(Handle handle) {
    const HidDeviceInfo* device = info(handle);
    return device ? device->serialNumber : QString();
}

QString HidapiLibrary::GetPath(Handle handle) {
    const HidDeviceInfo* device = info(handle);
    return device ? device->path : QString();
}

HidLibrary::Handle HidapiLibrary::GetHandle(int vendorId, int productId) {
    for (const auto& [handle, device] : m_devices) {
        if (device.announced && device.info.vendorId == vendorId && device.info.productId == productId)
            return handle;
    }
    return 0;
}

void HidapiLibrary::SetReadNotify(Handle handle, bool enabled) {
    auto it = m_devices.find(handle);
    if (it == m_devices.end())
        return;
    it->second.readNotify = enabled;
    if (!enabled)
        it->second.pending.clear();
}

bool HidapiLibrary::Read(Handle handle, quint8* buffer) {
    auto it = m_devices.find(handle);
    if (it == m_devices.end() || it->second.pending.empty())
        return false;
    std::copy(it->second.pending.front().begin(), it->second.pending.front().end(), buffer);
    it->second.pending.pop_front();
    return true;
}

QFuture<WriteOutcome> HidapiLibrary::WriteEx(int vendorId, int productId, const OutputReport& report) {
    if (!m_connected)
        return notSent(kLibraryClosed, false);
    const auto it = m_devices.find(GetHandle(vendorId, productId));
    if (it == m_devices.end() || !it->second.writer)
        return notSent(HidWriter::kClosedReason, true);
    return m_io.call([writer = it->second.writer, report] { return writer->write(report); },
                     WriteOutcome{.sent = false, .absent = false, .error = kLibraryClosed});
}

QList<HidDeviceInfo> HidapiLibrary::attachedDevices() {
    return hidapi::enumerate(kVendorId, kProductId);
}

} // namespace telvar
