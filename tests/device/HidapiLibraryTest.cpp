// The real-hardware backend against a Telvar X simulated with umockdev: enumeration, opening, reports in
// both directions, hot-plug from udev and from polling, and the retries of an open that fails.
// glib names a struct member `signals`: its headers come before any Qt header.
#include <umockdev.h>

#include "FakeHidrawDevice.h"

#include "device/DeviceIdentity.h"
#include "device/DeviceLink.h"
#include "device/HidapiLibrary.h"
#include "device/Timings.h"

#include <QCoro/QCoroTask>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <memory>
#include <unistd.h>

using namespace telvar;
using namespace std::chrono_literals;

namespace {
constexpr int kWait = 5000; // ms; generous, the events come within milliseconds

struct Event {
    int code;
    HidLibrary::Handle handle;
    int vendorId;
    int productId;
};

// Records each notification with the ids the library gives for its handle while it is being handled.
class NotificationLog {
public:
    explicit NotificationLog(HidapiLibrary& library) : m_library(library) {
        QObject::connect(&library, &HidLibrary::notify, [this](int code, HidLibrary::Handle handle) {
            m_events.append({code, handle, m_library.GetVendorID(handle), m_library.GetProductID(handle)});
        });
    }
    int count(int code, int productId = -1) const {
        return int(std::count_if(m_events.cbegin(), m_events.cend(), [&](const Event& e) {
            return e.code == code && (productId < 0 || e.productId == productId);
        }));
    }
    int indexOf(int code, int productId = -1) const {
        for (int i = 0; i < m_events.size(); ++i) {
            if (m_events[i].code == code && (productId < 0 || m_events[i].productId == productId))
                return i;
        }
        return -1;
    }
    const Event& last(int code) const {
        for (auto it = m_events.crbegin(); it != m_events.crend(); ++it) {
            if (it->code == code)
                return *it;
        }
        throw std::logic_error("no such notification");
    }
    const QList<Event>& events() const { return m_events; }

private:
    HidapiLibrary& m_library;
    QList<Event> m_events;
};

QByteArray report(std::initializer_list<int> bytes) {
    QByteArray data;
    for (int b : bytes)
        data.append(char(b));
    return data;
}

QByteArray bytesOf(const quint8* data, int size) {
    return QByteArray(reinterpret_cast<const char*>(data), size);
}
} // namespace

class HidapiLibraryTest : public QObject {
    Q_OBJECT

private:
    FakeHidrawDevice& addDevice(int number, int productId = kProductId) {
        FakeHidrawDevice::Identity identity;
        identity.number = number;
        identity.productId = productId;
        identity.serial = QStringLiteral("TX-%1").arg(number, 4, 10, QLatin1Char('0'));
        m_devices.push_back(std::make_unique<FakeHidrawDevice>(m_testbed, identity));
        return *m_devices.back();
    }

    UMockdevTestbed* m_testbed = nullptr;
    std::vector<std::unique_ptr<FakeHidrawDevice>> m_devices;

private Q_SLOTS:
    void initTestCase() { Timings::setDivisor(100); }

    void init() { m_testbed = umockdev_testbed_new(); }

    void cleanup() {
        m_devices.clear();
        g_object_unref(m_testbed);
        m_testbed = nullptr;
    }

    void listsAttachedTelvarsWithSerialNumbers() {
        addDevice(0).plug();
        addDevice(1, 0x0001).plug(); // same maker, another product
        addDevice(2).plug();

        const QList<HidDeviceInfo> found = HidapiLibrary::attachedDevices();
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[0].path, QStringLiteral("/dev/hidraw0"));
        QCOMPARE(found[0].serialNumber, QStringLiteral("TX-0000"));
        QCOMPARE(found[1].path, QStringLiteral("/dev/hidraw2"));
        QCOMPARE(found[1].serialNumber, QStringLiteral("TX-0002"));
    }

    void announcesTelvarAttachedBeforeConnect() {
        addDevice(0).plug();
        HidapiLibrary library;
        NotificationLog log(library);

        QVERIFY(library.Connect());
        QVERIFY2(log.events().isEmpty(), "announced from inside Connect, before the caller is ready");
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Changed) == 1, kWait);

        const int plugged = log.indexOf(HidLibrary::Plugged, kProductId);
        QVERIFY(plugged >= 0);
        QVERIFY(plugged < log.indexOf(HidLibrary::Changed));
        QCOMPARE(log.events()[plugged].vendorId, kVendorId);
        QCOMPARE(library.GetHandle(kVendorId, kProductId), log.events()[plugged].handle);
        QCOMPARE(library.GetHandle(kVendorId, 0x0001), HidLibrary::Handle(0));
    }

    void exchangesReportsWithTheDevice() {
        FakeHidrawDevice& device = addDevice(0);
        device.plug();
        HidapiLibrary library;
        NotificationLog log(library);
        library.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Plugged, kProductId) == 1, kWait);
        const HidLibrary::Handle handle = library.GetHandle(kVendorId, kProductId);
        library.SetReadNotify(handle, true);

        // The caller's buffer is longer than a report: exactly report id + 8 data bytes go out.
        const HidLibrary::OutputReport output = {0, 'Z', 1, 2, 3, 4, 5, 6, 7};
        QVERIFY(library.WriteEx(kVendorId, kProductId, output).result().sent);
        QTRY_COMPARE_WITH_TIMEOUT(device.written().size(), 1, kWait);
        QCOMPARE(device.written()[0], bytesOf(output.data(), 9));

        // Reports are kept in order until read; Read puts report id 0 in front of the data.
        device.sendReport(report({'Z', 1, 0, 0, 0, 0, 0, 9}));
        device.sendReport(report({'C', 2, 3, 4, 5, 6, 7, 8}));
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::ReadReady) == 2, kWait);
        QCOMPARE(log.last(HidLibrary::ReadReady).handle, handle);
        quint8 input[9] = {};
        QVERIFY(library.Read(handle, input));
        QCOMPARE(bytesOf(input, 9), report({0, 'Z', 1, 0, 0, 0, 0, 0, 9}));
        QVERIFY(library.Read(handle, input));
        QCOMPARE(bytesOf(input, 9), report({0, 'C', 2, 3, 4, 5, 6, 7, 8}));
        QVERIFY(!library.Read(handle, input));

        // Turning read notification off drops what was not read, so it cannot pass for a later reply.
        device.sendReport(report({'S', 0, 0, 0, 0, 0, 0, 0}));
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::ReadReady) == 3, kWait);
        library.SetReadNotify(handle, false);
        library.SetReadNotify(handle, true);
        QVERIFY(!library.Read(handle, input));
        device.sendReport(report({'D', 7, 0, 0, 0, 0, 0, 0}));
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::ReadReady) == 4, kWait);
        QVERIFY(library.Read(handle, input));
        QCOMPARE(input[1], quint8('D'));
    }

    void followsDevicesComingAndGoing_data() {
        QTest::addColumn<bool>("polling");
        QTest::newRow("udev") << false;
        QTest::newRow("polling") << true;
    }

    void followsDevicesComingAndGoing() {
        QFETCH(bool, polling);
        HidapiLibrary library(polling ? HidapiLibrary::HotplugSource::Polling
                                      : HidapiLibrary::HotplugSource::Udev);
        NotificationLog log(library);
        library.Connect();

        FakeHidrawDevice& other = addDevice(1, 0x0001);
        FakeHidrawDevice& telvar = addDevice(0);
        other.plug();
        telvar.plug();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Plugged, kProductId) == 1 &&
                                     log.count(HidLibrary::Plugged, 0x0001) == 1,
                                 kWait);
        QTRY_VERIFY_WITH_TIMEOUT(
            log.indexOf(HidLibrary::Changed) > log.indexOf(HidLibrary::Plugged, kProductId), kWait);
        QCOMPARE(other.openAttempts(), 0); // only the Telvar X is opened
        QVERIFY(telvar.openAttempts() > 0);

        // The ids of a departing device still answer while its notification is handled.
        other.unplug();
        QTRY_COMPARE_WITH_TIMEOUT(log.count(HidLibrary::Unplugged), 1, kWait);
        QCOMPARE(log.last(HidLibrary::Unplugged).vendorId, kVendorId);
        QCOMPARE(log.last(HidLibrary::Unplugged).productId, 0x0001);
        QVERIFY(library.GetHandle(kVendorId, kProductId) != 0);

        const int changes = log.count(HidLibrary::Changed);
        telvar.unplug();
        QTRY_COMPARE_WITH_TIMEOUT(log.count(HidLibrary::Unplugged), 2, kWait);
        QCOMPARE(log.last(HidLibrary::Unplugged).productId, kProductId);
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Changed) > changes, kWait);
        QCOMPARE(library.GetHandle(kVendorId, kProductId), HidLibrary::Handle(0));
        QVERIFY(!library.WriteEx(kVendorId, kProductId, {0, 'Z'}).result().sent);
    }

    void treatsADeviceThatHangsUpAsGone() {
        FakeHidrawDevice& device = addDevice(0);
        device.plug();
        HidapiLibrary library;
        NotificationLog log(library);
        library.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Changed) == 1, kWait);

        // No "remove" event (yet): the failed read alone ends the device.
        device.hangUp();
        QTRY_COMPARE_WITH_TIMEOUT(log.count(HidLibrary::Unplugged, kProductId), 1, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(HidLibrary::Changed), 2, kWait);
        QCOMPARE(library.GetHandle(kVendorId, kProductId), HidLibrary::Handle(0));
    }

    void retriesAnOpenThatFails() {
        FakeHidrawDevice& device = addDevice(0);
        device.failOpens(2); // the node refuses the first opens, as while udev is still setting it up
        device.plug();
        HidapiLibrary library;
        NotificationLog log(library);
        QSignalSpy failures(&library, &HidapiLibrary::openFailed);
        library.Connect();

        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Plugged, kProductId) == 1, kWait);
        QVERIFY(log.indexOf(HidLibrary::Changed) > log.indexOf(HidLibrary::Plugged, kProductId));
        QVERIFY(failures.isEmpty());
        QVERIFY(library.errorString().isEmpty());
        QVERIFY(library.WriteEx(kVendorId, kProductId, {0, 'Z'}).result().sent);
    }

    void reportsAnOpenThatKeepsFailing() {
        FakeHidrawDevice& device = addDevice(0);
        device.failOpens(1000);
        device.plug();
        HidapiLibrary library;
        NotificationLog log(library);
        QSignalSpy failures(&library, &HidapiLibrary::openFailed);
        library.Connect();

        QVERIFY(failures.wait(kWait));
        QCOMPARE(device.openAttempts(), HidapiLibrary::kOpenAttempts);
        const QString message = failures.first().first().toString();
        QVERIFY2(message.contains(QStringLiteral("/dev/hidraw0")), qPrintable(message));
        QCOMPARE(library.errorString(), message);
        // A device that cannot be used is not announced, and so never unplugged either.
        QCOMPARE(log.count(HidLibrary::Plugged), 0);
        QCOMPARE(library.GetHandle(kVendorId, kProductId), HidLibrary::Handle(0));
    }

    void disconnectEndsNotifications() {
        addDevice(0).plug();
        HidapiLibrary library;
        NotificationLog log(library);
        library.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Plugged, kProductId) == 1, kWait);
        QVERIFY(library.Disconnect());
        QVERIFY(!library.Disconnect());
        QCOMPARE(library.GetHandle(kVendorId, kProductId), HidLibrary::Handle(0));

        // A second, connected library witnesses an arrival that the first must not report.
        HidapiLibrary witness;
        NotificationLog witnessLog(witness);
        witness.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(witnessLog.count(HidLibrary::Plugged, kProductId) == 1, kWait);
        const int before = int(log.events().size());
        addDevice(3).plug();
        QTRY_VERIFY_WITH_TIMEOUT(witnessLog.count(HidLibrary::Plugged, kProductId) == 2, kWait);
        QCOMPARE(int(log.events().size()), before);

        // Connecting again announces what is attached now.
        library.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Plugged, kProductId) == 3, kWait);
    }

    void carriesDeviceLinkRequests() {
        FakeHidrawDevice& device = addDevice(0);
        device.setResponder([](const QByteArray& written) {
            return written.at(1) == 'Z' ? report({'Z', 4, 2, 0, 0, 0, 0, 0}) : QByteArray();
        });
        HidapiLibrary library;
        DeviceLink link(library);
        QSignalSpy plugged(&link, &DeviceLink::plugged);
        QSignalSpy unplugged(&link, &DeviceLink::unplugged);
        link.hidattach();
        device.plug();
        QVERIFY(plugged.wait(kWait));

        std::optional<Sequence> sequence = link.begin();
        QCOMPARE(QCoro::waitFor(sequence->request('Z')), WaitResult::Ok);
        QCOMPARE(sequence->reply(1), quint8('Z'));
        QCOMPARE(sequence->reply(2), quint8(4));
        QCOMPARE(sequence->reply(3), quint8(2));

        // A reply that never comes: the unplug ends the wait long before its limit.
        auto waiting = sequence->request('D', 60s);
        QTimer::singleShot(0, [&device] { device.unplug(); });
        QCOMPARE(QCoro::waitFor(std::move(waiting)), WaitResult::Unplugged);
        QCOMPARE(unplugged.size(), 1);
    }
};

int main(int argc, char** argv) {
    // umockdev works through a preload library; start again with it when it is missing.
    const QByteArray preload = qgetenv("LD_PRELOAD");
    if (!preload.contains("libumockdev-preload")) {
        const QByteArray withMock = preload.isEmpty() ? QByteArray("libumockdev-preload.so.0")
                                                      : preload + ":libumockdev-preload.so.0";
        qputenv("LD_PRELOAD", withMock);
        ::execv("/proc/self/exe", argv);
        std::perror("restarting with the umockdev preload");
        return 1;
    }
    // hidapi opens nodes without O_NOCTTY, and the fake node is a terminal: its hang-up must not end us.
    std::signal(SIGHUP, SIG_IGN);
    QCoreApplication app(argc, argv);
    HidapiLibraryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HidapiLibraryTest.moc"
