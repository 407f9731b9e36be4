// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/EmulatedLibrary.h"
#include "ReplyCollector.h"
#include "device/DeviceIdentity.h"
#include "device/Timings.h"
#include "support/WriteContract.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace telvar;

class EmulatedLibraryTest : public QObject {
    Q_OBJECT

private:
    using Report = std::array<quint8, 9>;

    static Report command(char letter, quint8 b2 = 0, quint8 b3 = 0) { return {0, quint8(letter), b2, b3}; }

    static bool write(EmulatedLibrary& library, const Report& report) {
        const QFuture<WriteOutcome> written = library.WriteEx(kVendorId, kProductId, report);
        return testing::finishes(written) && written.result().sent;
    }

    static QList<int> codes(const QSignalSpy& spy) {
        QList<int> result;
        for (const auto& arguments : spy)
            result.append(arguments.at(0).toInt());
        return result;
    }

    // Connects and waits for the announcement, then enables read notification as the program does on Changed.
    static void attach(EmulatedLibrary& library, QSignalSpy& notes) {
        library.Connect();
        QTRY_VERIFY(codes(notes).contains(HidLibrary::Changed));
        library.SetReadNotify(library.GetHandle(kVendorId, kProductId), true);
        notes.clear();
    }

    // Forty sensor replies (several of the walk's rests) of a device made as the programs make it.
    static QList<QByteArray> sensorReplies(EmulatorOptions options, const QString& file) {
        options.stateFile = file;
        const auto library = EmulatedLibrary::create(options, nullptr);
        test::ReplyCollector collector(library->device());
        for (int i = 0; i < 40; ++i)
            test::sendReport(library->device(), {'D'});
        // A device that falls short gives fewer replies, which the comparison of the two then shows.
        if (!QTest::qWaitFor([&] { return collector.replies.size() == 40; }))
            qWarning("only %d of 40 sensor replies came", int(collector.replies.size()));
        return collector.replies;
    }

private Q_SLOTS:
    void initTestCase() { Timings::setDivisor(10); }

    // Devices asked together must not answer alike; one device (its serial is kept in its state file)
    // answers as before for the same sensor option, and a script is the same on every device.
    void theSensorFollowsTheDevicesSerial_data() {
        QTest::addColumn<QString>("sensor"); // the --sensor option; empty: none
        QTest::addColumn<QString>("second"); // the second device's state file; the first's is a.json
        QTest::addColumn<bool>("alike");
        QTest::newRow("two devices") << QString() << "b.json" << false;
        QTest::newRow("two devices, one seed") << "random:7"
                                               << "b.json" << false;
        QTest::newRow("one device twice, one seed") << "random:7"
                                                    << "a.json" << true;
        QTest::newRow("two devices, one script") << "5,7,1200x30"
                                                 << "b.json" << true;
    }
    void theSensorFollowsTheDevicesSerial() {
        QFETCH(QString, sensor);
        QFETCH(QString, second);
        QFETCH(bool, alike);
        QTemporaryDir folder;
        EmulatorOptions options;
        QVERIFY(sensor.isEmpty() || options.setSensor(sensor).isEmpty());
        const QList<QByteArray> first = sensorReplies(options, folder.filePath(QStringLiteral("a.json")));
        const QList<QByteArray> then = sensorReplies(options, folder.filePath(second));
        QCOMPARE(first.size() + then.size(), 80);
        QCOMPARE(first == then, alike);
    }

    void connectAnnouncesTheDeviceThenAChange() {
        EmulatedLibrary library;
        QSignalSpy notes(&library, &HidLibrary::notify);
        QVERIFY(library.Connect());
        QCOMPARE(notes.size(), 0); // never from inside Connect
        QTRY_COMPARE(notes.size(), 2);
        QCOMPARE(codes(notes), QList<int>({HidLibrary::Plugged, HidLibrary::Changed}));
        const auto handle = notes[0][1].value<HidLibrary::Handle>();
        QCOMPARE(library.GetVendorID(handle), kVendorId);
        QCOMPARE(library.GetProductID(handle), kProductId);
        QCOMPARE(library.GetHandle(kVendorId, kProductId), handle);
        QCOMPARE(library.GetHandle(kVendorId, 1), HidLibrary::Handle(0));
    }

    void repliesAreAnnouncedOnlyWhileReadNotificationIsOn() {
        EmulatedLibrary library;
        QSignalSpy notes(&library, &HidLibrary::notify);
        library.Connect();
        QTRY_COMPARE(notes.size(), 2);
        notes.clear();

        QVERIFY(write(library, command('C', 1)));
        QVERIFY(write(library, command('C', 2)));
        QTRY_COMPARE(library.pendingReports(), 2);
        QCOMPARE(notes.size(), 0);

        const auto handle = library.GetHandle(kVendorId, kProductId);
        library.SetReadNotify(handle, true);
        QTRY_COMPARE(notes.size(), 2); // what waited is announced now
        for (const auto& arguments : notes) {
            QCOMPARE(arguments.at(0).toInt(), int(HidLibrary::ReadReady));
            QCOMPARE(arguments.at(1).value<HidLibrary::Handle>(), handle);
        }

        Report buffer{};
        QVERIFY(library.Read(handle, buffer.data()));
        QCOMPARE(int(buffer[2]), 173); // oldest first: configuration byte 1
        QVERIFY(library.Read(handle, buffer.data()));
        QCOMPARE(int(buffer[2]), 127);
        QVERIFY(!library.Read(handle, buffer.data()));
        QVERIFY(!library.Read(handle + 1000, buffer.data()));

        QVERIFY(write(library, command('Z')));
        QTRY_COMPARE(notes.size(), 3);
        QCOMPARE(notes.last().at(0).toInt(), int(HidLibrary::ReadReady));
    }

    void unplugAndPlugAgain() {
        EmulatedLibrary library;
        QSignalSpy notes(&library, &HidLibrary::notify);
        QSignalSpy plugged(&library, &EmulatedLibrary::pluggedChanged);
        attach(library, notes);
        const auto first = library.handle();

        library.unplug();
        QVERIFY(!library.isPlugged());
        QVERIFY(!write(library, command('Z')));
        QTRY_COMPARE(notes.size(), 2);
        QCOMPARE(codes(notes), QList<int>({HidLibrary::Unplugged, HidLibrary::Changed}));
        QCOMPARE(notes[0][1].value<HidLibrary::Handle>(), first);
        QCOMPARE(library.GetVendorID(first), kVendorId); // still answerable for the notification
        QCOMPARE(library.GetHandle(kVendorId, kProductId), HidLibrary::Handle(0));
        QVERIFY(!library.readNotifyEnabled());

        notes.clear();
        library.plug();
        QTRY_COMPARE(notes.size(), 2);
        QCOMPARE(codes(notes), QList<int>({HidLibrary::Plugged, HidLibrary::Changed}));
        const auto second = notes[0][1].value<HidLibrary::Handle>();
        QVERIFY(second != first);
        QCOMPARE(library.GetHandle(kVendorId, kProductId), second);
        QCOMPARE(plugged.size(), 2);

        // Twice is the same as once.
        library.plug();
        QTest::qWait(0);
        QCOMPARE(notes.size(), 2);
    }

    void aReplyInFlightIsLostWithTheDevice() {
        EmulatorOptions options;
        QCOMPARE(options.addFault(QStringLiteral("delay:100")), QString());
        QString error;
        auto library = EmulatedLibrary::create(options, &error);
        QVERIFY2(library, qPrintable(error));
        QSignalSpy notes(library.get(), &HidLibrary::notify);
        attach(*library, notes);

        QVERIFY(write(*library, command('Z')));
        library->unplug();
        library->plug();
        library->SetReadNotify(library->handle(), true);
        QVERIFY(write(*library, command('C', 0)));
        QTRY_COMPARE(library->pendingReports(), 1);
        Report buffer{};
        QVERIFY(library->Read(library->handle(), buffer.data()));
        QCOMPARE(buffer[1], quint8('C')); // the "Z" was due first: it would be ahead of the "C"
    }

    void faultsFromTheOptions() {
        EmulatorOptions options;
        QCOMPARE(options.addFault(QStringLiteral("drop:D")), QString());
        QCOMPARE(options.addFault(QStringLiteral("unplug-after:3")), QString());
        QCOMPARE(options.setSensor(QStringLiteral("1200")), QString());
        QString error;
        auto library = EmulatedLibrary::create(options, &error);
        QVERIFY2(library, qPrintable(error));
        QSignalSpy notes(library.get(), &HidLibrary::notify);
        attach(*library, notes);

        QVERIFY(write(*library, command('D')));
        QVERIFY(write(*library, command('Z')));
        QTRY_COMPARE(library->pendingReports(), 1);
        Report buffer{};
        QVERIFY(library->Read(library->handle(), buffer.data()));
        QCOMPARE(buffer[1], quint8('Z')); // "D" was never answered

        QVERIFY(write(*library, command('G'))); // the third report: the device leaves
        QVERIFY(!library->isPlugged());
        QVERIFY(!write(*library, command('Z')));
        QTRY_VERIFY(codes(notes).contains(HidLibrary::Unplugged));
    }

    void nothingIsAnnouncedAfterDisconnect() {
        EmulatedLibrary library;
        QSignalSpy notes(&library, &HidLibrary::notify);
        library.Connect();
        library.Disconnect();
        library.unplug();
        library.plug();
        // Connecting again announces the device; nothing of the time in between comes before it.
        library.Connect();
        QTRY_COMPARE(notes.size(), 2);
        QCOMPARE(codes(notes), QList<int>({HidLibrary::Plugged, HidLibrary::Changed}));
    }

    void keepsTheWriteContract() {
        EmulatedLibrary library;
        library.unplug(); // the contract plugs it itself
        testing::checkWriteContract(library,
                                    {[&library] { library.plug(); }, [&library] { library.unplug(); },
                                     [&library] { return library.device().receivedReports(); }});
    }

    void unreadRepliesDoNotOutliveTheConnection() {
        EmulatedLibrary library;
        QSignalSpy notes(&library, &HidLibrary::notify);
        attach(library, notes);
        QVERIFY(write(library, command('Z')));
        QTRY_COMPARE(library.pendingReports(), 1);

        library.Disconnect();
        QCOMPARE(library.pendingReports(), 0);
        attach(library, notes);
        QVERIFY(write(library, command('C', 1)));
        QTRY_COMPARE(library.pendingReports(), 1);
        Report buffer{};
        QVERIFY(library.Read(library.handle(), buffer.data()));
        QCOMPARE(buffer[1], quint8('C')); // not the "Z" of the last connection
    }
};

QTEST_GUILESS_MAIN(EmulatedLibraryTest)
#include "EmulatedLibraryTest.moc"
