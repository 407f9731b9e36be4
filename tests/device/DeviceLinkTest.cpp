// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VirtualTelvar.h"

#include "device/DeviceLink.h"
#include "device/DeviceIdentity.h"
#include "device/Timings.h"
#include "emulator/EmulatedLibrary.h"

#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <QPromise>

#include <list>
#include <memory>

using namespace telvar;
using namespace std::chrono_literals;

namespace {
// A device whose endpoint takes no report: every write stays pending for ever.
class StallingLibrary : public EmulatedLibrary {
public:
    QFuture<WriteOutcome> WriteEx(int, int, const OutputReport&) override {
        m_pending.emplace_back();
        m_pending.back().start();
        return m_pending.back().future();
    }

private:
    std::list<QPromise<WriteOutcome>> m_pending;
};
} // namespace

// DeviceLink against the virtual Telvar X: the one wait, checked writes, the pauses, one sequence at a
// time and the routing of the library's notifications.
class DeviceLinkTest : public QObject {
    Q_OBJECT

private:
    using Rig = std::unique_ptr<test::VirtualTelvar>;

    // A link attached to a virtual device with the given faults, once the device is plugged and read
    // notification is on; null when that does not happen.
    static Rig attached(const QStringList& faults = {}) {
        auto rig = std::make_unique<test::VirtualTelvar>();
        rig->fault(faults);
        if (!rig->attach())
            rig.reset();
        return rig;
    }

    // A sequence that must exist for the test to go on.
    static Sequence begin(Rig& rig) {
        std::optional<Sequence> sequence = rig->link.begin();
        if (!sequence)
            qFatal("the device was not free");
        return std::move(*sequence);
    }

private Q_SLOTS:
    void aWaitEndsOnTheReply() {
        Rig rig = attached();
        QVERIFY(rig);
        Sequence device = begin(rig);
        QCOMPARE(QCoro::waitFor(device.request('C', 1)), WaitResult::Ok);
        QCOMPARE(int(device.reply(2)), 173);
        QVERIFY(rig->link.dataread());
    }

    void aWaitEndsOnItsTimeLimitOrOnUnplug() {
        Rig rig = attached({QStringLiteral("drop:D")});
        QVERIFY(rig);
        Sequence device = begin(rig);
        QCOMPARE(QCoro::waitFor(device.request('D', 50ms)), WaitResult::TimedOut);
        // The device still answers what it does not drop.
        QCOMPARE(QCoro::waitFor(device.request('Z', 5000ms)), WaitResult::Ok);

        QSignalSpy unplugged(&rig->link, &DeviceLink::unplugged);
        QTimer::singleShot(0, &rig->library, [&] { rig->library.unplug(); });
        QCOMPARE(QCoro::waitFor(device.request('D', 60000ms)), WaitResult::Unplugged);
        QCOMPARE(unplugged.size(), 1);
        QVERIFY(!rig->link.isAttached());
        // Without a device every step ends at once, and nothing is handed to the library.
        const qsizetype reports = rig->library.device().receivedReports().size();
        QCOMPARE(QCoro::waitFor(device.request('Z', 60000ms)), WaitResult::Unplugged);
        QCOMPARE(QCoro::waitFor(device.command('H')), WaitResult::Unplugged);
        QCOMPARE(rig->library.device().receivedReports().size(), reports);
    }

    void aStaleReportDoesNotEndTheNextWait() {
        Rig rig = attached({QStringLiteral("drop:D")});
        QVERIFY(rig);
        Sequence device = begin(rig);
        QSignalSpy received(&rig->link, &DeviceLink::reportReceived);
        // Two replies arrive while nobody waits: the second overwrites the first.
        QCOMPARE(QCoro::waitFor(device.command('C', 1)), WaitResult::Ok);
        QCOMPARE(QCoro::waitFor(device.command('Z')), WaitResult::Ok);
        QTRY_COMPARE(received.size(), 2);
        QVERIFY(rig->link.dataread());
        QCOMPARE(device.reply(1), quint8('Z'));

        QCOMPARE(QCoro::waitFor(device.request('D', 50ms)), WaitResult::TimedOut);
        QCOMPARE(device.reply(1), quint8('Z')); // stale bytes stay until the next report
    }

    void holdFollowsThePeriodLastSet() {
        Rig rig = attached();
        QVERIFY(rig);
        QCOMPARE(rig->link.pausePeriod(), 250ms);
        Timings::setDivisor(1); // the real period, whatever the environment asks
        {
            Sequence device = begin(rig);
            device.setPausePeriod(10ms);
        }
        // The period outlives the sequence that set it.
        QCOMPARE(rig->link.pausePeriod(), 10ms);
        Sequence device = begin(rig);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(QCoro::waitFor(device.hold()), WaitResult::Ok);
        QVERIFY(clock.elapsed() >= 9);
    }

    void oneSequenceAtATime() {
        Rig rig = attached();
        QVERIFY(rig);
        QSignalSpy ended(&rig->link, &DeviceLink::sequenceEnded);
        {
            auto sequence = rig->link.begin();
            QVERIFY(sequence);
            QVERIFY(rig->link.sequenceRunning());
            QVERIFY(!rig->link.begin());
            QVERIFY(!rig->link.begin(DeviceLink::Role::Poll));
            QCOMPARE(ended.size(), 0);
        }
        QCOMPARE(ended.size(), 1);
        QVERIFY(!rig->link.sequenceRunning());
        QVERIFY(rig->link.begin(DeviceLink::Role::Poll));
        QVERIFY(!rig->link.jobRunning());
    }

    void cancelEndsWaitsButNotAWriteThatIsDue() {
        Rig rig = attached({QStringLiteral("drop:D")});
        QVERIFY(rig);
        std::optional<Sequence> device = rig->link.begin();
        QTimer::singleShot(0, &rig->link, [&] { rig->link.cancel(); });
        QCOMPARE(QCoro::waitFor(device->request('D', 60000ms)), WaitResult::Cancelled);
        // The cancelled sequence's later waits end at once until it lets go, but what it still has to
        // send goes out: a device told "W" must get its data report.
        QCOMPARE(QCoro::waitFor(device->hold()), WaitResult::Cancelled);
        const std::array<quint8, 8> data{1, 2, 3, 4, 5, 6, 7, 8};
        QCOMPARE(QCoro::waitFor(device->data(data)), WaitResult::Ok);
        const VirtualDevice::Report expected{0, 1, 2, 3, 4, 5, 6, 7, 8};
        QCOMPARE(rig->library.device().receivedReports().last(), expected);
        device.reset();
        auto next = rig->link.begin();
        QCOMPARE(QCoro::waitFor(next->request('Z')), WaitResult::Ok);
    }

    void closingDownRunsSuspendedSequencesToTheirEnds() {
        // A screen's sequence is suspended on a reply that never comes when the window closes: it must
        // run to its end there and then, not stay suspended after its screen is gone.
        Rig rig = attached({QStringLiteral("drop:D")});
        QVERIFY(rig);
        std::optional<WaitResult> first;
        std::optional<WaitResult> second;
        bool ended = false;
        auto screenAction = [&]() -> QCoro::Task<> {
            std::optional<Sequence> device = rig->link.begin();
            first = co_await device->request('D', 60000ms);
            second = co_await device->request('Z', 60000ms);
            device.reset();
            ended = true;
        };
        const qsizetype reports = rig->library.device().receivedReports().size() + 1;
        auto action = screenAction();
        QTRY_COMPARE(rig->library.device().receivedReports().size(), reports);
        QVERIFY(!ended);
        rig->link.closeDown();
        QVERIFY(ended);
        QCOMPARE(first, WaitResult::Cancelled);
        QCOMPARE(second, WaitResult::Cancelled);
        QVERIFY(!rig->link.sequenceRunning());
        // Nothing more goes to the device, and nothing new may start.
        QCOMPARE(rig->library.device().receivedReports().size(), reports);
        QVERIFY(!rig->link.begin());
    }

    void aFailedWriteEndsTheSequenceAtOnce() {
        // The device takes one report, then refuses every write.
        Rig rig = attached({QStringLiteral("refuse-after:1")});
        QVERIFY(rig);
        Sequence device = begin(rig);
        QCOMPARE(QCoro::waitFor(device.request('C', 0)), WaitResult::Ok);
        const WaitResult refused = QCoro::waitFor(device.request('C', 1, 60000ms));
        QCOMPARE(refused, WaitResult::WriteFailed);
        QCOMPARE(describe(refused), QStringLiteral("could not send to the Telvar X: the device refused the report"));
        // Every later step of that sequence fails the same way, without touching the device.
        QCOMPARE(QCoro::waitFor(device.command('H')), WaitResult::WriteFailed);
        QCOMPARE(QCoro::waitFor(device.hold()), WaitResult::WriteFailed);
        QCOMPARE(rig->library.device().receivedReports().size(), 1);
    }

    void aWriteThatHangsEndsWithinTheReplyLimit() {
        StallingLibrary library;
        DeviceLink link(library);
        link.setDefaultReplyLimit(50ms);
        link.hidattach();
        QVERIFY(QTest::qWaitFor([&] { return link.isAttached(); }));
        std::optional<Sequence> device = link.begin();
        const WaitResult result = QCoro::waitFor(device->request('Z', 60000ms));
        QCOMPARE(result, WaitResult::WriteFailed);
        QVERIFY2(describe(result).contains(QStringLiteral("within 50 ms")), qPrintable(describe(result)));
    }

    void aModeCommandAfterAWriteCarriesItsBytes() {
        Rig rig = attached();
        QVERIFY(rig);
        Sequence device = begin(rig);
        QCOMPARE(QCoro::waitFor(device.request('B', 14, 254)), WaitResult::Ok);
        QCOMPARE(QCoro::waitFor(device.command('H')), WaitResult::Ok);
        const auto reports = rig->library.device().receivedReports();
        const VirtualDevice::Report expected{0, 'H', 14, 254, 0, 0, 0, 0, 0};
        QCOMPARE(reports.last(), expected);
        QCOMPARE(rig->library.device().mode(), 'H');
    }

    // Another Telvar X on the same bus (here one the virtual bus gives neither serial nor path) belongs to
    // another window or program: its coming and going change nothing here, and the link keeps the serial
    // and the reports of the device it holds. The held one leaving is still an unplug.
    void anotherTelvarXIsNotTheLinksDevice_data() {
        QTest::addColumn<bool>("heldLeaves");
        QTest::newRow("the other comes and goes") << false;
        QTest::newRow("the held one leaves while the other is there") << true;
    }
    void anotherTelvarXIsNotTheLinksDevice() {
        QFETCH(bool, heldLeaves);
        Rig rig = attached();
        QVERIFY(rig);
        const QString serial = rig->library.device().serialNumber();
        QCOMPARE(rig->link.serialNumber(), serial);
        QSignalSpy plugged(&rig->link, &DeviceLink::plugged);
        QSignalSpy unplugged(&rig->link, &DeviceLink::unplugged);
        QSignalSpy notes(&rig->library, &HidLibrary::notify);

        rig->library.plugForeign(kVendorId, kProductId);
        QTRY_COMPARE(notes.size(), 2);
        if (heldLeaves) {
            rig->library.unplug();
            QTRY_COMPARE(unplugged.size(), 1);
            QVERIFY(!rig->link.isAttached());
        } else {
            rig->library.unplugForeign(kVendorId, kProductId);
            QTRY_COMPARE(notes.size(), 4);
            QCOMPARE(unplugged.size(), 0);
            QVERIFY(rig->link.isAttached());
            Sequence device = begin(rig);
            QCOMPARE(QCoro::waitFor(device.request('Z')), WaitResult::Ok);
        }
        QCOMPARE(plugged.size(), 0);
        QCOMPARE(rig->link.serialNumber(), serial);
    }

    void otherDevicesOfTheMaker() {
        Rig rig = attached();
        QVERIFY(rig);
        QSignalSpy plugged(&rig->link, &DeviceLink::plugged);
        QSignalSpy unplugged(&rig->link, &DeviceLink::unplugged);
        QSignalSpy notes(&rig->library, &HidLibrary::notify);

        rig->library.plugForeign(kVendorId, 0x1234);
        QTRY_COMPARE(notes.size(), 2);
        QCOMPARE(plugged.size(), 0);
        QVERIFY(rig->link.isAttached());

        rig->library.plugForeign(0x1111, kProductId); // another maker, same product id
        rig->library.unplugForeign(0x1111, kProductId);
        QTRY_COMPARE(notes.size(), 6);
        QCOMPARE(unplugged.size(), 0);

        // Any device of the maker leaving brings the connect prompt back.
        rig->library.unplugForeign(kVendorId, 0x1234);
        QTRY_COMPARE(unplugged.size(), 1);
        QVERIFY(!rig->link.isAttached());
    }
};

QTEST_GUILESS_MAIN(DeviceLinkTest)
#include "DeviceLinkTest.moc"
