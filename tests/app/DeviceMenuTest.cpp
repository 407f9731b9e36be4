// SPDX-License-Identifier: GPL-3.0-or-later
// glib names a struct member `signals`: its headers come before any Qt header.
#include <umockdev.h>

#include "WindowRig.h"
#include "device/FakeHidrawDevice.h"

#include "app/DeviceMenu.h"
#include "device/HidapiLibrary.h"
#include "journal/JournalStore.h"
#include "session/ItcScreen.h"
#include "session/SessionController.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace telvar;
using telvar::test::WindowRig;
using telvar::test::WindowSetup;

namespace {

const DeviceCandidate kFirst{QStringLiteral("/tmp/a.json"), QStringLiteral("SIM-0000000A"), true};
const DeviceCandidate kSecond{QStringLiteral("/tmp/b.json"), QStringLiteral("SIM-0000000B"), true};
// A virtual device whose state file is not made yet: known by its path until it has a serial.
const DeviceCandidate kNew{QStringLiteral("/tmp/c.json"), QString(), true};

// The serials of the menu's checked entries.
QStringList checked(const QMenu& menu) {
    QStringList serials;
    for (QAction* action : menu.actions()) {
        if (action->isChecked())
            serials << action->objectName().mid(QStringLiteral("device:").size());
    }
    return serials;
}

QAction* entry(const QMenu& menu, const DeviceCandidate& device) {
    return menu.findChild<QAction*>(QStringLiteral("device:") + DeviceMenu::keyOf(device));
}

constexpr int kWait = 5000; // ms; the fake devices' events come within milliseconds

// Every report is answered with its command letter, as far as a session needs: sensor readings of 0.
QByteArray echo(const QByteArray& written) {
    return written.size() > 1 ? QByteArray(1, written.at(1)) + QByteArray(7, '\0') : QByteArray();
}

FakeHidrawDevice::Identity telvarAt(int number, const QString& serial) {
    FakeHidrawDevice::Identity identity;
    identity.number = number;
    identity.serial = serial;
    return identity;
}

// A window on real hardware: the hidapi library over fake hidraw devices, the journal in a folder of its
// own.
struct RealDeviceWindow {
    QTemporaryDir folder;
    HidapiLibrary library;
    std::unique_ptr<Mainform> window;

    RealDeviceWindow() {
        Mainform::Options options;
        options.dataDir = folder.path();
        options.settingsFile = folder.filePath(QStringLiteral("telvar.conf"));
        options.journalPath = journal();
        ProgramStyle::install();
        window = std::make_unique<Mainform>(library, options, std::make_unique<telvar::test::FakePrompter>());
        window->show();
    }
    QString journal() const { return folder.filePath(QStringLiteral("journal.db")); }
    bool onDeviceScreens() const {
        return window->findChild<QTabBar*>(QStringLiteral("TabStrip1"))->isVisible() &&
               !window->findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible();
    }
    bool onConnectPrompt() const {
        return !window->findChild<QTabBar*>(QStringLiteral("TabStrip1"))->isVisible() &&
               window->findChild<QFrame*>(QStringLiteral("Frame1"))->isVisible();
    }
    SessionController& session() const { return window->findChild<ItcScreen*>()->session(); }
    // A question whose session polls the device at least once, then is ended.
    bool askAndEnd() {
        QSignalSpy polled(&session(), &SessionController::polled);
        if (!session().ask(QStringLiteral("Who is there?"), ResponseWindow::Seconds24) || !polled.wait(kWait))
            return false;
        session().endNow();
        return QTest::qWaitFor([this] { return !session().isListening() && !session().isTickRunning(); });
    }
    // The serial of each session in the journal, oldest first.
    QStringList journaledSerials() const {
        JournalStore store;
        QStringList serials;
        if (!store.openToRead(journal()))
            return serials;
        for (const JournalSession& kept : store.read().value_or(std::vector<JournalSession>{}))
            serials << kept.device;
        return serials;
    }
};

// Who holds a device this process holds, as the claim file says.
QString thisProgram() {
    return QStringLiteral("%1 (process %2)")
        .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
        .arg(QCoreApplication::applicationPid());
}

} // namespace

Q_DECLARE_METATYPE(telvar::DeviceCandidate)

class DeviceMenuTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void aWindowKeepsItsDevice_data();
    void aWindowKeepsItsDevice();
    void choosingAnotherDevice_data();
    void choosingAnotherDevice();
    void theLastUsedIsChosenAgain_data();
    void theLastUsedIsChosenAgain();
    void theTitleNamesTheSerialBehindTheStatus_data();
    void theTitleNamesTheSerialBehindTheStatus();
};

void DeviceMenuTest::initTestCase() {
    // The device claims of these tests stay out of the user's runtime folder.
    static QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
}

// Two Telvar X on the bus, the one the window holds and another. The window holds the first it had
// (there at its start, or the first plugged into a window that had none), whether or not it was named;
// the other, plugged in later (while the window is idle or while a session polls), is listed in the Device
// menu but neither opened nor locked, and its coming and going leaves the window as it was. When the held
// one leaves, the prompt comes back, and the same device is taken again wherever it comes back. Sessions
// are journaled under the held device's serial throughout.
void DeviceMenuTest::aWindowKeepsItsDevice_data() {
    QTest::addColumn<QString>("start");  // held: the held device is there at the window's start;
                                         // none: nothing is, it is plugged in first;
                                         // session: as held, the other comes while a session polls
    QTest::addColumn<QString>("unplug"); // other, held, or replugged: the held one at another node
    for (const char* start : {"held", "none", "session"}) {
        for (const char* unplug : {"other", "held", "replugged"}) {
            QTest::addRow("%s first, %s unplugged", start, unplug)
                << QString::fromLatin1(start) << QString::fromLatin1(unplug);
        }
    }
}

void DeviceMenuTest::aWindowKeepsItsDevice() {
    QFETCH(QString, start);
    QFETCH(QString, unplug);
    UMockdevTestbed* testbed = umockdev_testbed_new();
    const auto dropTestbed = qScopeGuard([testbed] { g_object_unref(testbed); });
    FakeHidrawDevice held(testbed, telvarAt(0, QStringLiteral("TX-HELD")));
    FakeHidrawDevice other(testbed, telvarAt(1, QStringLiteral("TX-OTHER")));
    FakeHidrawDevice heldElsewhere(testbed, telvarAt(3, QStringLiteral("TX-HELD")));
    // Other makers' devices: once the library has announced one's coming or going, it has dealt with
    // everything that happened on the bus before.
    const auto markerAt = [](int number, int productId) {
        FakeHidrawDevice::Identity identity;
        identity.number = number;
        identity.vendorId = 0x1111;
        identity.productId = productId;
        return identity;
    };
    FakeHidrawDevice early(testbed, markerAt(4, 0x3333));
    FakeHidrawDevice marker(testbed, markerAt(2, 0x2222));
    for (FakeHidrawDevice* device : {&held, &other, &heldElsewhere})
        device->setResponder(echo);

    const bool noneAtStart = start == QLatin1String("none");
    (noneAtStart ? early : held).plug();
    RealDeviceWindow run;
    if (noneAtStart) {
        QTRY_VERIFY_WITH_TIMEOUT(run.library.GetHandle(0x1111, 0x3333) != 0, kWait);
        QVERIFY(run.onConnectPrompt());
        held.plug();
    }
    QTRY_VERIFY_WITH_TIMEOUT(run.window->link().isAttached(), kWait);
    QVERIFY(run.onDeviceScreens());
    QCOMPARE(run.window->link().serialNumber(), QStringLiteral("TX-HELD"));
    auto* menu = new DeviceMenu(
        *run.window, {held.node(), QStringLiteral("TX-HELD"), false},
        [] { return candidateDevices(EmulatorOptions{}); },
        [](const DeviceCandidate&) { return QStringLiteral("not in this test"); },
        run.folder.filePath(QStringLiteral("telvar.conf")));

    // The other comes.
    QSignalSpy plugged(&run.window->link(), &DeviceLink::plugged);
    QSignalSpy unplugged(&run.window->link(), &DeviceLink::unplugged);
    const bool duringSession = start == QLatin1String("session");
    QSignalSpy polled(&run.session(), &SessionController::polled);
    if (duringSession) {
        QVERIFY(run.session().ask(QStringLiteral("Are you there?"), ResponseWindow::Seconds24));
        QVERIFY(polled.wait(kWait));
    }
    const QString title = run.window->windowTitle();
    other.plug();
    marker.plug();
    QTRY_VERIFY_WITH_TIMEOUT(run.library.GetHandle(0x1111, 0x2222) != 0, kWait);
    if (duringSession) {
        QVERIFY(run.session().isListening());
        run.session().endNow();
        QTRY_VERIFY_WITH_TIMEOUT(!run.session().isListening() && !run.session().isTickRunning(), kWait);
    } else {
        QCOMPARE(run.window->windowTitle(), title);
    }
    QCOMPARE(other.openAttempts(), 0);
    QCOMPARE(HidapiLibrary::holderOf(other.node()), QString());
    QCOMPARE(HidapiLibrary::holderOf(held.node()), thisProgram());
    QVERIFY(run.onDeviceScreens());
    QCOMPARE(plugged.size(), 0);
    QCOMPARE(unplugged.size(), 0);
    QCOMPARE(run.window->link().serialNumber(), QStringLiteral("TX-HELD"));
    Q_EMIT menu->menu()->aboutToShow();
    QCOMPARE(checked(*menu->menu()), QStringList{QStringLiteral("TX-HELD")});
    QVERIFY(menu->menu()->findChild<QAction*>(QStringLiteral("device:TX-OTHER")));
    // A session asked now polls the held device, and is journaled under its serial.
    QVERIFY(run.askAndEnd());
    int sessions = duringSession ? 2 : 1;

    if (unplug == QLatin1String("other")) {
        other.unplug();
        marker.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(run.library.GetHandle(0x1111, 0x2222) == 0, kWait);
        QVERIFY(run.window->link().isAttached());
        QVERIFY(run.onDeviceScreens());
        QCOMPARE(unplugged.size(), 0);
        QCOMPARE(run.window->windowTitle(), title);
        QCOMPARE(HidapiLibrary::holderOf(held.node()), thisProgram());
    } else {
        held.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(run.onConnectPrompt(), kWait);
        QVERIFY(!run.window->link().isAttached());
        QCOMPARE(HidapiLibrary::holderOf(held.node()), QString());
        if (unplug == QLatin1String("replugged")) {
            heldElsewhere.plug();
            QTRY_VERIFY_WITH_TIMEOUT(run.window->link().isAttached(), kWait);
            QVERIFY(run.onDeviceScreens());
            QCOMPARE(run.window->link().devicePath(), heldElsewhere.node());
            QCOMPARE(HidapiLibrary::holderOf(heldElsewhere.node()), thisProgram());
            QVERIFY(run.askAndEnd());
            ++sessions;
        }
    }
    // Whatever came and went, the other device was never the window's.
    QCOMPARE(other.openAttempts(), 0);
    QCOMPARE(HidapiLibrary::holderOf(other.node()), QString());
    QCOMPARE(run.session().deviceSerial(), QStringLiteral("TX-HELD"));
    QTRY_COMPARE_WITH_TIMEOUT(run.journaledSerials(), QStringList(sessions, QStringLiteral("TX-HELD")),
                              kWait);
    delete menu;
}

void DeviceMenuTest::choosingAnotherDevice_data() {
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("refusal");   // what the attacher answers
    QTest::addColumn<bool>("attachCalled"); // whether the move was tried
    QTest::addColumn<QString>("status");    // part of the title afterwards; empty: untouched
    QTest::addColumn<bool>("moved");
    QTest::newRow("idle: moves") << false << QString() << true << QString() << true;
    // A command on the device, or a session, must end first; nothing is tried.
    QTest::newRow("busy: refused") << true << QString() << false << "busy" << false;
    QTest::newRow("held by another window: refused")
        << false << "SIM-0000000B has a window of its own" << true << "window of its own" << false;
}

void DeviceMenuTest::choosingAnotherDevice() {
    QFETCH(bool, busy);
    QFETCH(QString, refusal);
    QFETCH(bool, attachCalled);
    QFETCH(QString, status);
    QFETCH(bool, moved);
    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("telvar.conf"));
    WindowRig rig(WindowSetup().withSettings(settings));
    QVERIFY(rig.waitAttached());
    QVERIFY(rig.waitIdle());
    QList<DeviceCandidate> attached;
    auto* menu = new DeviceMenu(
        *rig.window, kFirst,
        [] {
            return QList<DeviceCandidate>{kFirst, kSecond};
        },
        [&](const DeviceCandidate& device) {
            attached << device;
            return refusal;
        },
        settings);
    QCOMPARE(checked(*menu->menu()), QStringList{kFirst.serial});

    // Held until the end: the device is busy with it meanwhile.
    const std::optional<Sequence> job =
        busy ? rig.window->link().begin(DeviceLink::Role::Job, QStringLiteral("Test")) : std::nullopt;
    QCOMPARE(job.has_value(), busy);
    entry(*menu->menu(), kSecond)->trigger();

    QCOMPARE(!attached.isEmpty(), attachCalled);
    if (attachCalled)
        QCOMPARE(attached.constFirst(), kSecond);
    if (!status.isEmpty())
        QVERIFY2(rig.window->status().contains(status), qPrintable(rig.window->status()));
    QCOMPARE(checked(*menu->menu()), QStringList{moved ? kSecond.serial : kFirst.serial});
    // Only a device moved to counts as the last one used.
    QCOMPARE(DeviceMenu::preferred({kFirst, kSecond}, settings), moved ? kSecond : kFirst);
}

void DeviceMenuTest::theLastUsedIsChosenAgain_data() {
    QTest::addColumn<QList<DeviceCandidate>>("remembered"); // used one after another; empty: never
    QTest::addColumn<QList<DeviceCandidate>>("there");
    QTest::addColumn<DeviceCandidate>("chosen");
    QTest::newRow("never used: the first") << QList<DeviceCandidate>{} << QList{kFirst, kSecond} << kFirst;
    QTest::newRow("last used there") << QList{kFirst, kSecond} << QList{kFirst, kSecond} << kSecond;
    QTest::newRow("last used not attached: the first") << QList{kSecond} << QList{kNew, kFirst} << kNew;
    // Its state file made since, it has a serial; the path it was remembered by still finds it.
    QTest::newRow("remembered by path, serial since")
        << QList{kNew} << QList{kFirst, DeviceCandidate{kNew.path, QStringLiteral("SIM-0000000C"), true}}
        << DeviceCandidate{kNew.path, QStringLiteral("SIM-0000000C"), true};
}

void DeviceMenuTest::theLastUsedIsChosenAgain() {
    QFETCH(QList<DeviceCandidate>, remembered);
    QFETCH(QList<DeviceCandidate>, there);
    QFETCH(DeviceCandidate, chosen);
    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("telvar.conf"));
    for (const DeviceCandidate& device : remembered)
        DeviceMenu::remember(device, settings);
    QCOMPARE(DeviceMenu::preferred(there, settings), chosen);
    QCOMPARE(DeviceMenu::preferred({}, settings), std::nullopt);
}

void DeviceMenuTest::theTitleNamesTheSerialBehindTheStatus_data() {
    QTest::addColumn<QString>("serial"); // empty: one device attached
    QTest::addColumn<QString>("title");
    QTest::newRow("one device") << QString() << "Sound Controls";
    QTest::newRow("several devices") << "SIM-0000000A"
                                     << "Sound Controls \u2014 SIM-0000000A";
}

void DeviceMenuTest::theTitleNamesTheSerialBehindTheStatus() {
    QFETCH(QString, serial);
    QFETCH(QString, title);
    WindowRig rig;
    const QString before = rig.window->status();
    rig.window->setDeviceName(serial);
    // The status text in the title stays as it was; only the serial joins it.
    QCOMPARE(rig.window->status(), before);
    rig.window->setStatus(QStringLiteral("Sound Controls"));
    QCOMPARE(rig.window->windowTitle(), title);
    QCOMPARE(rig.window->status(), QStringLiteral("Sound Controls"));
}

int main(int argc, char** argv) {
    FakeHidrawDevice::prepareProcess(argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    DeviceMenuTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "DeviceMenuTest.moc"
