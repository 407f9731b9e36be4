// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"

#include "app/DeviceMenu.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace

Q_DECLARE_METATYPE(telvar::DeviceCandidate)

class DeviceMenuTest : public QObject {
    Q_OBJECT
private slots:
    void choosingAnotherDevice_data();
    void choosingAnotherDevice();
    void theLastUsedIsChosenAgain_data();
    void theLastUsedIsChosenAgain();
    void theTitleNamesTheSerialBehindTheStatus_data();
    void theTitleNamesTheSerialBehindTheStatus();
};

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

QTEST_MAIN(DeviceMenuTest)
#include "DeviceMenuTest.moc"
