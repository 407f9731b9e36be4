// SPDX-License-Identifier: GPL-3.0-or-later
// The real-hardware backend against a Telvar X simulated with umockdev: enumeration, opening, reports in
// both directions, hot-plug from udev and from polling, the retries of an open that fails, writes that
// fail or never return.
// glib names a struct member `signals`: its headers come before any Qt header.
#include <umockdev.h>

#include "FakeHidrawDevice.h"
#include "support/WriteContract.h"

#include "device/DeviceIdentity.h"
#include "device/DeviceLink.h"
#include "device/HidapiLibrary.h"
#include "device/Timings.h"

#include <QCoro/QCoroTask>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace telvar;
using namespace telvar::testing;
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
    int lastIndexOf(int code) const {
        for (int i = int(m_events.size()) - 1; i >= 0; --i) {
            if (m_events[i].code == code)
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

WriteOutcome write(HidapiLibrary& library, const HidLibrary::OutputReport& report) {
    const QFuture<WriteOutcome> written = library.WriteEx(kVendorId, kProductId, report);
    return finishes(written)
               ? written.result()
               : WriteOutcome{.sent = false, .absent = false, .error = QStringLiteral("never finished")};
}
// A link that tries to attach a device another program holds: it hears who holds it, and attaches once
// that program lets go.
struct KeptOut {
    HidapiLibrary library;
    DeviceLink link{library};
    QSignalSpy refused{&library, &HidapiLibrary::inUse};
    QSignalSpy plugged{&link, &DeviceLink::plugged};
    KeptOut() { link.hidattach(); }
};

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
    // The device claims of these tests stay out of the user's runtime folder.
    QTemporaryDir m_runtime;

private Q_SLOTS:
    void initTestCase() {
        Timings::setDivisor(100);
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

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

        const HidLibrary::OutputReport output{0, 'Z', 1, 2, 3, 4, 5, 6, 7};
        const WriteOutcome outcome = write(library, output);
        QVERIFY2(outcome.sent, qPrintable(outcome.error));
        QCOMPARE(device.written(), QList<QByteArray>{bytesOf(output.data(), 9)});

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
        // The Telvar X is announced once open, after the other device: a change follows each.
        QTRY_VERIFY_WITH_TIMEOUT(
            log.lastIndexOf(HidLibrary::Changed) > log.indexOf(HidLibrary::Plugged, kProductId), kWait);
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
        const WriteOutcome outcome = write(library, {0, 'Z'});
        QVERIFY(!outcome.sent);
        QCOMPARE(outcome.error, QStringLiteral("the Telvar X is not connected"));
    }

    void treatsADeviceThatHangsUpAsGone() {
        FakeHidrawDevice& device = addDevice(0);
        device.plug();
        HidapiLibrary library;
        NotificationLog log(library);
        library.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Changed) == 1, kWait);

        // No "remove" event (yet), and the library has not heard of the hang-up: the write reaches the
        // node and fails there at once, as a device that is gone rather than a time-out later.
        device.hangUp();
        QFuture<WriteOutcome> written = library.WriteEx(kVendorId, kProductId, {0, 'Z'});
        written.waitForFinished(); // without the event loop, so that the reader's news waits too
        QVERIFY(!written.result().sent);
        QVERIFY(written.result().absent);

        // The failed read alone ends the device.
        QTRY_COMPARE_WITH_TIMEOUT(log.count(HidLibrary::Unplugged, kProductId), 1, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(HidLibrary::Changed), 2, kWait);
        QCOMPARE(library.GetHandle(kVendorId, kProductId), HidLibrary::Handle(0));
        QVERIFY(!write(library, {0, 'Z'}).sent);
        QVERIFY(device.written().isEmpty()); // neither write got through
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
        QVERIFY(write(library, {0, 'Z'}).sent);
    }

    void reportsAnOpenThatKeepsFailing_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("blamesPermissions");
        QTest::newRow("device error") << EIO << false;
        // Without the udev rule the node belongs to root: the user must learn how to install the rule.
        QTest::newRow("permission denied") << EACCES << true;
    }

    void reportsAnOpenThatKeepsFailing() {
        QFETCH(int, error);
        QFETCH(bool, blamesPermissions);
        FakeHidrawDevice& device = addDevice(0);
        device.failOpens(1000, error);
        device.plug();
        HidapiLibrary library;
        NotificationLog log(library);
        QSignalSpy failures(&library, &HidapiLibrary::openFailed);
        library.Connect();

        QVERIFY(failures.wait(kWait));
        QCOMPARE(device.openAttempts(), HidapiLibrary::kOpenAttempts);
        const QString message = failures.first().first().toString();
        QVERIFY2(message.contains(QStringLiteral("/dev/hidraw0")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("udev rule")) == blamesPermissions, qPrintable(message));
        QCOMPARE(library.errorString(), message);
        // A device that cannot be used is not announced, and so never unplugged either.
        QCOMPARE(log.count(HidLibrary::Plugged), 0);
        QCOMPARE(library.GetHandle(kVendorId, kProductId), HidLibrary::Handle(0));
    }

    void disconnectEndsNotifications() {
        addDevice(0).plug();
        HidapiLibrary library;
        NotificationLog log(library);
        // The first scan is still on its way when the library disconnects: it must announce nothing.
        library.Connect();
        library.Disconnect();
        HidapiLibrary early;
        NotificationLog earlyLog(early);
        early.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(earlyLog.count(HidLibrary::Changed) == 1, kWait);
        QVERIFY(log.events().isEmpty());
        early.Disconnect(); // lets go of the device for the next library

        library.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Plugged, kProductId) == 1, kWait);
        QVERIFY(library.Disconnect());
        QVERIFY(!library.Disconnect());
        QCOMPARE(library.GetHandle(kVendorId, kProductId), HidLibrary::Handle(0));

        // A second, connected library, kept to the newcomer, witnesses an arrival that the first must not
        // report.
        HidapiLibrary witness;
        witness.chooseDevice(QStringLiteral("TX-0003"));
        NotificationLog witnessLog(witness);
        witness.Connect();
        const int before = int(log.events().size());
        addDevice(3).plug();
        QTRY_VERIFY_WITH_TIMEOUT(witnessLog.count(HidLibrary::Plugged, kProductId) == 1, kWait);
        QCOMPARE(int(log.events().size()), before);

        // Connecting again announces what is attached now, once the witness has let go: of the two, the
        // device this library opened before, which it keeps to.
        witness.Disconnect();
        library.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Changed) == 2, kWait);
        QCOMPARE(log.count(HidLibrary::Plugged, kProductId), 2);
        QCOMPARE(library.GetSerialNumber(log.last(HidLibrary::Plugged).handle), QStringLiteral("TX-0000"));
    }

    void keepsTheWriteContract() {
        FakeHidrawDevice& device = addDevice(0);
        HidapiLibrary library;
        checkWriteContract(library, {[&device] { device.plug(); }, [&device] { device.unplug(); },
                                     [&device] {
                                         QList<HidLibrary::OutputReport> reports;
                                         for (const QByteArray& written : device.written()) {
                                             HidLibrary::OutputReport report{};
                                             std::copy_n(written.cbegin(),
                                                         std::min<qsizetype>(written.size(), 9),
                                                         report.begin());
                                             reports.append(report);
                                         }
                                         return reports;
                                     }});
    }

    void quittingLeavesAStuckWriteBehind() {
        FakeHidrawDevice& device = addDevice(0);
        device.plug();
        auto library = std::make_unique<HidapiLibrary>();
        library->Connect();
        QTRY_VERIFY_WITH_TIMEOUT(library->GetHandle(kVendorId, kProductId) != 0, kWait);

        device.holdWrites();
        const QFuture<WriteOutcome> stuck = library->WriteEx(kVendorId, kProductId, {0, 'Z', 1});
        const QFuture<WriteOutcome> queued = library->WriteEx(kVendorId, kProductId, {0, 'Z', 2});
        QTRY_COMPARE_WITH_TIMEOUT(device.heldWrites(), 1, kWait);
        // Were the library to wait for its I/O thread, this would never return.
        library.reset();

        device.releaseWrites();
        QVERIFY(finishes(stuck));
        QVERIFY(stuck.result().sent);
        // The write behind it is answered, but never reaches the device.
        QVERIFY(finishes(queued));
        QVERIFY(!queued.result().sent);
        QVERIFY(!queued.result().error.isEmpty());
        QCOMPARE(device.written().size(), 1);
    }

    void aSecondLinkWaitsUntilTheFirstLetsGo_data() {
        QTest::addColumn<bool>("destroyed");
        QTest::newRow("first detaches") << false;
        QTest::newRow("first goes away") << true;
    }

    void aSecondLinkWaitsUntilTheFirstLetsGo() {
        QFETCH(bool, destroyed);
        addDevice(0).plug();
        auto firstLibrary = std::make_unique<HidapiLibrary>();
        auto first = std::make_unique<DeviceLink>(*firstLibrary);
        QSignalSpy firstPlugged(first.get(), &DeviceLink::plugged);
        first->hidattach();
        QVERIFY(firstPlugged.wait(kWait));

        KeptOut second;
        QVERIFY(second.refused.wait(kWait));
        const QString holder = QStringLiteral("The Telvar X is in use by %1 (process %2)")
                                   .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                                   .arg(QCoreApplication::applicationPid());
        QCOMPARE(second.refused.first().first().toString(), holder);
        QCOMPARE(second.library.errorString(), holder);
        QVERIFY(!second.link.isAttached());
        // The second never opened the node: its reader would have taken the first one's replies.
        const int opens = m_devices[0]->openAttempts();

        if (destroyed) {
            first.reset();
            firstLibrary.reset();
        } else {
            first->hiddetach();
        }
        QVERIFY(second.plugged.wait(kWait));
        QCOMPARE(second.refused.size(), 1);                      // retrying said nothing new
        QCOMPARE(m_devices[0]->openAttempts(), opens + 2); // its writer and its reader, once
        QVERIFY(second.library.errorString().isEmpty());
        QVERIFY(write(second.library, {0, 'Z'}).sent);
    }

    // Two of our own libraries, each with the claim file of its runtime folder: the same user's programs
    // meet at the claim file, another user's (a folder of its own) only at the node lock, which must be
    // exclusive between ours as against anyone's. The second never opens the node while the first holds it.
    void twoOfOurLibrariesNeverHoldOneNode_data() {
        QTest::addColumn<bool>("ownRuntimeFolder");
        QTest::newRow("the same user") << false;
        QTest::newRow("another user") << true;
    }
    void twoOfOurLibrariesNeverHoldOneNode() {
        QFETCH(bool, ownRuntimeFolder);
        FakeHidrawDevice& device = addDevice(0);
        device.plug();
        HidapiLibrary firstLibrary;
        DeviceLink first(firstLibrary);
        QSignalSpy firstPlugged(&first, &DeviceLink::plugged);
        first.hidattach();
        QVERIFY(firstPlugged.wait(kWait));
        const int opens = device.openAttempts();

        QTemporaryDir otherRuntime;
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (ownRuntimeFolder)
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(otherRuntime.path()));
        const auto restore = qScopeGuard([&runtime] { qputenv("XDG_RUNTIME_DIR", runtime); });
        KeptOut second;
        QVERIFY(second.refused.wait(kWait));
        // The claim file names the program as it calls itself, the node lock as the system does.
        QFile comm(QStringLiteral("/proc/self/comm"));
        QVERIFY(comm.open(QIODevice::ReadOnly));
        const QString program = ownRuntimeFolder
                                    ? QString::fromLocal8Bit(comm.readAll().trimmed())
                                    : QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QCOMPARE(second.refused.first().first().toString(),
                 QStringLiteral("The Telvar X is in use by %1 (process %2)")
                     .arg(program)
                     .arg(QCoreApplication::applicationPid()));
        QVERIFY(!second.link.isAttached());
        QCOMPARE(device.openAttempts(), opens);

        first.hiddetach();
        QVERIFY(second.plugged.wait(kWait));
        QVERIFY(write(second.library, {0, 'Z'}).sent);
    }

    // The lock on the node keeps out a program that never made the per-user lock file: another user's,
    // root's. Here another process holds it (as another user where this test can switch to one); the
    // library says who and never opens the node until that process lets go.
    void aNodeLockedByAnotherProcessKeepsTheLibraryOut_data() {
        QTest::addColumn<QStringList>("asWho");
        QTest::newRow("another process") << QStringList{};
        if (::geteuid() == 0 && QFileInfo::exists(QStringLiteral("/usr/bin/setpriv")))
            QTest::newRow("another user")
                << QStringList{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    void aNodeLockedByAnotherProcessKeepsTheLibraryOut() {
        QFETCH(QStringList, asWho);
        FakeHidrawDevice& device = addDevice(0);
        device.plug();
        const QString terminal = device.terminalPath();
        QVERIFY(::chmod(QFile::encodeName(terminal).constData(), 0666) == 0);
        QProcess holder;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("LD_PRELOAD")); // it opens the real file, not the testbed's node
        holder.setProcessEnvironment(environment);
        // flock takes the lock, says so through the command it runs, and keeps it until that ends.
        const QStringList command =
            asWho +
            QStringList{"/usr/bin/flock", "--exclusive", terminal, "/bin/sh", "-c", "echo held; exec cat"};
        holder.start(command.first(), command.mid(1));
        QVERIFY(holder.waitForReadyRead(kWait));
        QCOMPARE(holder.readAll(), QByteArray("held\n"));

        KeptOut kept;
        QVERIFY(kept.refused.wait(kWait));
        const QString message =
            QStringLiteral("The Telvar X is in use by flock (process %1)").arg(holder.processId());
        QCOMPARE(kept.refused.first().first().toString(), message);
        QVERIFY(!kept.link.isAttached());
        QCOMPARE(device.openAttempts(), 0);
        QCOMPARE(HidapiLibrary::holderOf(device.node()),
                 QStringLiteral("flock (process %1)").arg(holder.processId()));

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(kWait));
        QVERIFY(kept.plugged.wait(kWait));
        QCOMPARE(kept.refused.size(), 1);
        // Now this library holds the node: a second one is kept out by the per-user lock file and the
        // node lock alike, and nobody else may take it.
        QCOMPARE(HidapiLibrary::holderOf(device.node()),
                 QStringLiteral("%1 (process %2)")
                     .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                     .arg(QCoreApplication::applicationPid()));
        QProcess taker;
        taker.setProcessEnvironment(environment);
        taker.start(QStringLiteral("/usr/bin/flock"), {"--exclusive", "--nonblock", terminal, "true"});
        QVERIFY(taker.waitForFinished(kWait));
        QCOMPARE(taker.exitCode(), 1);
        // Unplugged, the node is let go at once.
        device.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!kept.link.isAttached(), kWait);
        QCOMPARE(HidapiLibrary::holderOf(device.node()), QString());
    }

    // Two Telvar X with serials of their own: each is listed, and a library that chose one opens and
    // announces only that one, its serial with it; the other stays free for another program.
    void opensOnlyTheChosenDevice_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("serial");
        QTest::newRow("by node") << "/dev/hidraw0"
                                 << "TX-0000";
        QTest::newRow("by serial") << "TX-0001"
                                   << "TX-0001";
    }
    void opensOnlyTheChosenDevice() {
        QFETCH(QString, chosen);
        QFETCH(QString, serial);
        FakeHidrawDevice& first = addDevice(0);
        first.plug();
        FakeHidrawDevice& other = addDevice(1);
        other.plug();
        const QList<HidDeviceInfo> found = HidapiLibrary::attachedDevices();
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[1].serialNumber, QStringLiteral("TX-0001"));

        HidapiLibrary library;
        library.chooseDevice(chosen);
        NotificationLog log(library);
        DeviceLink link(library);
        QSignalSpy plugged(&link, &DeviceLink::plugged);
        link.hidattach();
        QVERIFY(plugged.wait(kWait));
        QCOMPARE(link.serialNumber(), serial);
        QCOMPARE(log.count(HidLibrary::Plugged), 1);
        FakeHidrawDevice& unchosen = serial == QLatin1String("TX-0000") ? other : first;
        QCOMPARE(unchosen.openAttempts(), 0);
        QCOMPARE(HidapiLibrary::holderOf(unchosen.node()), QString());
    }

    // A library given no device keeps to the first Telvar X it can take, of two there at once: the first
    // listed, unless another program holds it or it never opens. The other is neither opened nor locked.
    void keepsToTheFirstTelvarXItCanTake_data() {
        QTest::addColumn<QString>("first"); // free, held (by another program), broken (never opens)
        QTest::addColumn<QString>("taken");
        QTest::newRow("first free") << "free"
                                    << "TX-0000";
        QTest::newRow("first held by another program") << "held"
                                                       << "TX-0001";
        QTest::newRow("first never opens") << "broken"
                                           << "TX-0001";
    }
    void keepsToTheFirstTelvarXItCanTake() {
        QFETCH(QString, first);
        QFETCH(QString, taken);
        FakeHidrawDevice& firstDevice = addDevice(0);
        FakeHidrawDevice& secondDevice = addDevice(1);
        if (first == QLatin1String("broken"))
            firstDevice.failOpens(1000);
        firstDevice.plug();
        secondDevice.plug();
        HidapiLibrary holder;
        if (first == QLatin1String("held")) {
            holder.chooseDevice(QStringLiteral("TX-0000"));
            QSignalSpy held(&holder, &HidLibrary::notify);
            holder.Connect();
            QVERIFY(held.wait(kWait));
        }
        const int firstOpens = firstDevice.openAttempts();

        HidapiLibrary library;
        NotificationLog log(library);
        library.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(log.count(HidLibrary::Plugged, kProductId) == 1, kWait);
        QCOMPARE(library.GetSerialNumber(log.last(HidLibrary::Plugged).handle), taken);
        QCOMPARE(library.chosenDevice(), taken);
        if (first == QLatin1String("free")) {
            QCOMPARE(secondDevice.openAttempts(), 0);
            QCOMPARE(HidapiLibrary::holderOf(secondDevice.node()), QString());
        }
        if (first == QLatin1String("held"))
            QCOMPARE(firstDevice.openAttempts(), firstOpens); // only the holder's opens
        QVERIFY(write(library, {0, 'Z'}).sent);
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

        // A reply that never comes: its time limit ends the wait.
        QCOMPARE(QCoro::waitFor(sequence->request('D', 100ms)), WaitResult::TimedOut);

        // A write the device never takes ends the sequence within the reply limit, with its own reason.
        link.setDefaultReplyLimit(200ms);
        device.holdWrites();
        const WaitResult stuck = QCoro::waitFor(sequence->request('Z', 60s));
        QCOMPARE(stuck, WaitResult::WriteFailed);
        sequence.reset();
        device.releaseWrites();

        // An unplug ends a wait long before its limit.
        std::optional<Sequence> next = link.begin();
        auto waiting = next->request('D', 60s);
        QTimer::singleShot(0, [&device] { device.unplug(); });
        const WaitResult gone = QCoro::waitFor(std::move(waiting));
        QVERIFY2(gone == WaitResult::Unplugged, qPrintable(describe(gone)));
        QCOMPARE(unplugged.size(), 1);
    }
};

int main(int argc, char** argv) {
    FakeHidrawDevice::prepareProcess(argv);
    QCoreApplication app(argc, argv);
    HidapiLibraryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HidapiLibraryTest.moc"
