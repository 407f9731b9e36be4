#include "device/DeviceLink.h"
#include "device/DeviceIdentity.h"
#include "device/Timings.h"
#include "emulator/EmulatedLibrary.h"

#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace telvar;
using namespace std::chrono_literals;

// DeviceLink against the virtual Telvar X: the one reply wait, the pauses, the sequence guard and the
// routing of the library's notifications.
class DeviceLinkTest : public QObject {
    Q_OBJECT

private:
    struct Rig {
        std::unique_ptr<EmulatedLibrary> library;
        std::unique_ptr<DeviceLink> link;
    };

    // A link attached to a virtual device with the given faults, once the device is plugged and read
    // notification is on.
    static Rig attached(const QStringList& faults = {}) {
        EmulatorOptions options;
        for (const QString& fault : faults)
            options.addFault(fault);
        QString error;
        Rig rig{EmulatedLibrary::create(options, &error), nullptr};
        if (!rig.library)
            return rig;
        rig.link = std::make_unique<DeviceLink>(*rig.library);
        rig.link->hidattach();
        if (!QTest::qWaitFor([&] { return rig.link->isAttached() && rig.library->readNotifyEnabled(); }))
            rig.link.reset();
        return rig;
    }

private Q_SLOTS:
    void aWaitEndsOnTheReply() {
        Rig rig = attached();
        QVERIFY(rig.link);
        const WaitResult result = QCoro::waitFor(rig.link->request('C', 1));
        QCOMPARE(result, WaitResult::Ok);
        QCOMPARE(int(rig.link->reply(2)), 173);
        QVERIFY(rig.link->dataread());
    }

    void aWaitEndsOnItsTimeLimit() {
        Rig rig = attached({QStringLiteral("drop:D")});
        QVERIFY(rig.link);
        QCOMPARE(QCoro::waitFor(rig.link->request('D', 50ms)), WaitResult::TimedOut);
        // The device still answers what it does not drop.
        QCOMPARE(QCoro::waitFor(rig.link->request('Z', 5000ms)), WaitResult::Ok);
    }

    void aWaitEndsOnUnplug() {
        Rig rig = attached({QStringLiteral("drop:D")});
        QVERIFY(rig.link);
        QSignalSpy unplugged(rig.link.get(), &DeviceLink::unplugged);
        QTimer::singleShot(0, rig.library.get(), [&] { rig.library->unplug(); });
        QCOMPARE(QCoro::waitFor(rig.link->request('D', 60000ms)), WaitResult::Unplugged);
        QCOMPARE(unplugged.size(), 1);
        QVERIFY(!rig.link->isAttached());
        // Without a device a wait ends at once.
        QCOMPARE(QCoro::waitFor(rig.link->request('Z', 60000ms)), WaitResult::Unplugged);
    }

    void aStaleReportDoesNotEndTheNextWait() {
        Rig rig = attached({QStringLiteral("drop:D")});
        QVERIFY(rig.link);
        QSignalSpy received(rig.link.get(), &DeviceLink::reportReceived);
        // Two replies arrive while nobody waits: the second overwrites the first.
        rig.link->sendCommand('C', {1});
        rig.link->sendCommand('Z');
        QTRY_COMPARE(received.size(), 2);
        QVERIFY(rig.link->dataread());
        QCOMPARE(rig.link->reply(1), quint8('Z'));

        QCOMPARE(QCoro::waitFor(rig.link->request('D', 50ms)), WaitResult::TimedOut);
        QCOMPARE(rig.link->reply(1), quint8('Z')); // stale bytes stay until the next report
    }

    void holdFollowsThePeriodLastSet() {
        Rig rig = attached();
        QVERIFY(rig.link);
        QCOMPARE(rig.link->pausePeriod(), 250ms);
        Timings::setDivisor(1); // the real period, whatever the environment asks
        rig.link->setPausePeriod(10ms);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(QCoro::waitFor(rig.link->hold()), WaitResult::Ok);
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= 9 && took < 250, qPrintable(QString::number(took)));
    }

    void oneSequenceAtATime() {
        Rig rig = attached();
        QVERIFY(rig.link);
        {
            auto guard = rig.link->tryBeginSequence();
            QVERIFY(guard);
            QVERIFY(rig.link->sequenceRunning());
            QVERIFY(!rig.link->tryBeginSequence());
        }
        QVERIFY(!rig.link->sequenceRunning());
        QVERIFY(rig.link->tryBeginSequence());
    }

    void cancelEndsAWaitAndTheSequenceGoesOnRefusing() {
        Rig rig = attached({QStringLiteral("drop:D")});
        QVERIFY(rig.link);
        auto guard = rig.link->tryBeginSequence();
        QVERIFY(guard);
        QTimer::singleShot(0, rig.link.get(), [&] { rig.link->cancel(); });
        QCOMPARE(QCoro::waitFor(rig.link->request('D', 60000ms)), WaitResult::Cancelled);
        // The cancelled sequence's later waits end at once until it lets go.
        QCOMPARE(QCoro::waitFor(rig.link->hold()), WaitResult::Cancelled);
        guard.reset();
        QCOMPARE(QCoro::waitFor(rig.link->request('Z')), WaitResult::Ok);
    }

    void aModeCommandAfterAWriteCarriesItsBytes() {
        Rig rig = attached();
        QVERIFY(rig.link);
        QCOMPARE(QCoro::waitFor(rig.link->request('B', 14, 254)), WaitResult::Ok);
        rig.link->sendCommand('H');
        const auto reports = rig.library->device().receivedReports();
        const VirtualDevice::Report expected{0, 'H', 14, 254, 0, 0, 0, 0, 0};
        QCOMPARE(reports.last(), expected);
        QCOMPARE(rig.library->device().mode(), 'H');
    }

    void otherDevicesOfTheMaker() {
        Rig rig = attached();
        QVERIFY(rig.link);
        QSignalSpy plugged(rig.link.get(), &DeviceLink::plugged);
        QSignalSpy unplugged(rig.link.get(), &DeviceLink::unplugged);
        QSignalSpy notes(rig.library.get(), &HidLibrary::notify);

        rig.library->plugForeign(kVendorId, 0x1234);
        QTRY_COMPARE(notes.size(), 2);
        QCOMPARE(plugged.size(), 0);
        QVERIFY(rig.link->isAttached());

        rig.library->plugForeign(0x1111, kProductId); // another maker, same product id
        rig.library->unplugForeign(0x1111, kProductId);
        QTRY_COMPARE(notes.size(), 6);
        QCOMPARE(unplugged.size(), 0);

        // Any device of the maker leaving brings the connect prompt back.
        rig.library->unplugForeign(kVendorId, 0x1234);
        QTRY_COMPARE(unplugged.size(), 1);
        QVERIFY(!rig.link->isAttached());
    }
};

QTEST_GUILESS_MAIN(DeviceLinkTest)
#include "DeviceLinkTest.moc"
