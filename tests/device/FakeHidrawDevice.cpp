// SPDX-License-Identifier: GPL-3.0-or-later
// glib names a struct member `signals`: its headers come before any Qt header.
#include <umockdev.h>

#include "FakeHidrawDevice.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <linux/hidraw.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {
// Vendor-defined usage page, one collection with an 8-byte input and an 8-byte output report, no report id.
constexpr unsigned char kReportDescriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x01, 0x29,
                                               0x08, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08,
                                               0x81, 0x02, 0x19, 0x01, 0x29, 0x08, 0x91, 0x02, 0xC0};

void check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("fake hidraw device: ") + what + ": " + std::strerror(errno));
}
} // namespace

void FakeHidrawDevice::prepareProcess(char** argv) {
    // umockdev works through a preload library; start again with it when it is missing.
    const QByteArray preload = qgetenv("LD_PRELOAD");
    if (!preload.contains("libumockdev-preload")) {
        const QByteArray withMock = preload.isEmpty() ? QByteArray("libumockdev-preload.so.0")
                                                      : preload + ":libumockdev-preload.so.0";
        qputenv("LD_PRELOAD", withMock);
        ::execv("/proc/self/exe", argv);
        std::perror("restarting with the umockdev preload");
        std::exit(1);
    }
    // hidapi opens nodes without O_NOCTTY, and the fake node is a terminal: its hang-up must not end us.
    std::signal(SIGHUP, SIG_IGN);
}

FakeHidrawDevice::FakeHidrawDevice(UMockdevTestbed* testbed, Identity identity)
    : m_testbed(testbed), m_identity(std::move(identity)) {
    m_feeder.setInterval(1);
    QObject::connect(&m_feeder, &QTimer::timeout, [this] { feed(); });
}

FakeHidrawDevice::~FakeHidrawDevice() {
    if (m_plugged)
        unplug();
    if (m_handler) {
        g_signal_handlers_disconnect_by_data(m_handler, this);
        g_object_unref(m_handler);
    }
    if (m_slave >= 0)
        ::close(m_slave);
}

QString FakeHidrawDevice::terminalPath() const {
    return m_slave >= 0 ? QString::fromLocal8Bit(::ttyname(m_slave)) : QString();
}

QString FakeHidrawDevice::node() const {
    return QStringLiteral("/dev/hidraw%1").arg(m_identity.number);
}

QStringList FakeHidrawDevice::sysfsPaths() const {
    const QString usb =
        QStringLiteral("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-%1").arg(m_identity.number + 1);
    const QString interface = usb + QStringLiteral("/1-%1:1.0").arg(m_identity.number + 1);
    const QString hid = interface + QStringLiteral("/0003:%1:%2.%3")
                                        .arg(m_identity.vendorId, 4, 16, QLatin1Char('0'))
                                        .arg(m_identity.productId, 4, 16, QLatin1Char('0'))
                                        .arg(m_identity.number + 1, 4, 16, QLatin1Char('0'))
                                        .toUpper();
    const QString hidraw = hid + QStringLiteral("/hidraw/hidraw%1").arg(m_identity.number);
    return {hidraw, hid, interface, usb}; // child first
}

QString FakeHidrawDevice::sysfsRecord(int major, int minor) const {
    const QStringList paths = sysfsPaths();
    const auto hex4 = [](int value) { return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')); };
    const auto hex8 = [](int value) {
        return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
    };
    const auto devpath = [](const QString& sysPath) { return sysPath.mid(4); }; // without "/sys"
    const QString descriptor =
        QByteArray(reinterpret_cast<const char*>(kReportDescriptor), sizeof kReportDescriptor).toHex();
    QString record;
    record +=
        QStringLiteral("P: %1\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=%2\nA: idProduct=%3\n"
                       "A: bcdDevice=0100\nA: manufacturer=Telvar\nA: product=Telvar X\nA: serial=%4\n\n")
            .arg(devpath(paths[3]), hex4(m_identity.vendorId), hex4(m_identity.productId), m_identity.serial);
    record += QStringLiteral("P: %1\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nA: bInterfaceNumber=00\n\n")
                  .arg(devpath(paths[2]));
    record +=
        QStringLiteral("P: %1\nE: SUBSYSTEM=hid\nE: HID_ID=0003:%2:%3\nE: HID_NAME=Telvar X\nE: HID_UNIQ=%4\n"
                       "H: report_descriptor=%5\n\n")
            .arg(devpath(paths[1]), hex8(m_identity.vendorId), hex8(m_identity.productId), m_identity.serial,
                 descriptor);
    record +=
        QStringLiteral("P: %1\nE: SUBSYSTEM=hidraw\nE: DEVNAME=%2\nE: MAJOR=%3\nE: MINOR=%4\nA: dev=%3:%4\n"
                       "L: device=../../../%5\n\n")
            .arg(devpath(paths[0]), node())
            .arg(major)
            .arg(minor)
            .arg(paths[1].section(QLatin1Char('/'), -1));
    return record;
}

void FakeHidrawDevice::plug() {
    if (m_plugged)
        return;
    // The node is a pseudo terminal: the client's own poll and read on it get real blocking and time-outs.
    check(::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) == 0, "openpty");
    termios raw{};
    check(::tcgetattr(m_slave, &raw) == 0, "tcgetattr");
    ::cfmakeraw(&raw);
    check(::tcsetattr(m_slave, TCSANOW, &raw) == 0, "tcsetattr");
    struct stat slaveStat {};
    check(::fstat(m_slave, &slaveStat) == 0, "fstat");
    m_gone = false;

    // The handler must be in place before the "add" events: a listener may open the node at once.
    if (!m_handler) {
        m_handler = umockdev_ioctl_base_new();
        g_signal_connect(m_handler, "handle-ioctl", G_CALLBACK(onIoctl), this);
        g_signal_connect(m_handler, "handle-write", G_CALLBACK(onWrite), this);
        g_signal_connect(m_handler, "handle-read", G_CALLBACK(onRead), this);
        GError* error = nullptr;
        const bool attached =
            umockdev_testbed_attach_ioctl(m_testbed, node().toLocal8Bit().constData(), m_handler, &error);
        if (!attached) {
            const std::string message = error ? error->message : "attach_ioctl";
            g_clear_error(&error);
            throw std::runtime_error(message);
        }
    }
    char* root = umockdev_testbed_get_root_dir(m_testbed);
    const QString link = QString::fromLocal8Bit(root) + node();
    g_free(root);
    QDir().mkpath(QFileInfo(link).path());
    QFile::remove(link);
    check(::symlink(::ttyname(m_slave), link.toLocal8Bit().constData()) == 0, "symlink");

    GError* error = nullptr;
    const QByteArray record =
        sysfsRecord(int(major(slaveStat.st_rdev)), int(minor(slaveStat.st_rdev))).toUtf8();
    if (!umockdev_testbed_add_from_string(m_testbed, record.constData(), &error)) {
        const std::string message = error ? error->message : "add_from_string";
        g_clear_error(&error);
        throw std::runtime_error(message);
    }
    m_plugged = true;
    m_feeder.start();
}

void FakeHidrawDevice::unplug() {
    if (!m_plugged)
        return;
    m_plugged = false;
    hangUp();
    const QStringList paths = sysfsPaths();
    for (const QString& path : paths)
        umockdev_testbed_uevent(m_testbed, path.toLocal8Bit().constData(), "remove");
    for (const QString& path : paths)
        umockdev_testbed_remove_device(m_testbed, path.toLocal8Bit().constData());
    ::close(m_slave);
    m_slave = -1;
}

void FakeHidrawDevice::hangUp() {
    m_feeder.stop();
    m_gone = true;
    releaseWrites();
    std::lock_guard lock(m_mutex);
    m_toSend.clear();
    if (m_master >= 0)
        ::close(m_master); // a client waiting in poll sees the hang-up
    m_master = -1;
}

void FakeHidrawDevice::sendReport(const QByteArray& data) {
    std::lock_guard lock(m_mutex);
    m_toSend.push_back(data);
}

void FakeHidrawDevice::setResponder(Responder responder) {
    std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

void FakeHidrawDevice::holdWrites() {
    std::lock_guard lock(m_mutex);
    m_holdWrites = true;
}

void FakeHidrawDevice::releaseWrites() {
    std::lock_guard lock(m_mutex);
    m_holdWrites = false;
    for (UMockdevIoctlClient* client : std::exchange(m_heldWrites, {})) {
        if (m_gone)
            umockdev_ioctl_client_complete(client, -1, ENODEV);
        else
            umockdev_ioctl_client_complete(client, umockdev_ioctl_client_get_arg(client)->data_len, 0);
        g_object_unref(client);
    }
}

int FakeHidrawDevice::heldWrites() const {
    std::lock_guard lock(m_mutex);
    return int(m_heldWrites.size());
}

QList<QByteArray> FakeHidrawDevice::written() const {
    std::lock_guard lock(m_mutex);
    return m_written;
}

void FakeHidrawDevice::feed() {
    std::lock_guard lock(m_mutex);
    if (m_toSend.empty() || m_master < 0)
        return;
    // One report at a time: a read of the node must never return two of them.
    pollfd unread{m_slave, POLLIN, 0};
    if (::poll(&unread, 1, 0) != 0)
        return;
    const QByteArray& report = m_toSend.front();
    if (::write(m_master, report.constData(), std::size_t(report.size())) == report.size())
        m_toSend.pop_front();
}

int FakeHidrawDevice::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    auto* device = static_cast<FakeHidrawDevice*>(self);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    if (device->m_gone) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return TRUE;
    }
    if (request == HIDIOCGRDESCSIZE) {
        ++device->m_openAttempts;
        if (device->m_failOpens > 0) {
            --device->m_failOpens;
            umockdev_ioctl_client_complete(client, -1, device->m_openError);
            return TRUE;
        }
        UMockdevIoctlData* size = umockdev_ioctl_data_resolve(argument, 0, sizeof(int), nullptr);
        *reinterpret_cast<int*>(size->data) = int(sizeof kReportDescriptor);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    umockdev_ioctl_client_complete(client, -1, ENOTTY);
    return TRUE;
}

int FakeHidrawDevice::onWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    auto* device = static_cast<FakeHidrawDevice*>(self);
    if (device->m_gone) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return TRUE;
    }
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    const QByteArray report(reinterpret_cast<const char*>(argument->data), argument->data_len);
    {
        std::lock_guard lock(device->m_mutex);
        device->m_written.append(report);
        if (device->m_holdWrites) {
            device->m_heldWrites.append(UMOCKDEV_IOCTL_CLIENT(g_object_ref(client)));
            return TRUE;
        }
        if (device->m_responder) {
            const QByteArray reply = device->m_responder(report);
            if (!reply.isEmpty())
                device->m_toSend.push_back(reply);
        }
    }
    umockdev_ioctl_client_complete(client, argument->data_len, 0);
    return TRUE;
}

int FakeHidrawDevice::onRead(UMockdevIoctlBase*, UMockdevIoctlClient*, void*) {
    return FALSE; // the client reads the pseudo terminal itself
}
