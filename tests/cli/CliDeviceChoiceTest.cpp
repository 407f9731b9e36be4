// SPDX-License-Identifier: GPL-3.0-or-later
// A verb keeps to the Telvar X it starts on, on real hardware (two Telvar X simulated with umockdev): the
// one there (named or not), or the first plugged in while the verb waits for one. Another one plugged in
// while the verb runs is neither opened nor locked, and the held one is found again at another node.
// glib names a struct member `signals`: its headers come before any Qt header.
#include <umockdev.h>

#include "device/FakeHidrawDevice.h"

#include "cli/CliContext.h"
#include "device/DeviceLink.h"
#include "device/HidapiLibrary.h"
#include "device/Timings.h"

#include <QCoro/QCoroTask>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <memory>

using namespace telvar;

namespace {
constexpr int kWait = 5000; // ms; the fake devices' events come within milliseconds

FakeHidrawDevice::Identity deviceAt(int number, const QString& serial, int vendorId = 0x04D8) {
    FakeHidrawDevice::Identity identity;
    identity.number = number;
    identity.serial = serial;
    identity.vendorId = vendorId;
    return identity;
}

QString thisProgram() {
    return QStringLiteral("%1 (process %2)")
        .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName())
        .arg(QCoreApplication::applicationPid());
}
} // namespace

class CliDeviceChoiceTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_runtime;

private Q_SLOTS:
    void initTestCase() {
        Timings::setDivisor(100);
        QVERIFY(m_runtime.isValid());
        // The device claims of these tests stay out of the user's runtime folder.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void aVerbKeepsItsDevice_data() {
        QTest::addColumn<QString>("start"); // there: the held one is there; named: and --device names it;
                                            // none: it is plugged in while the verb waits for one
        QTest::newRow("the only one there") << "there";
        QTest::newRow("named") << "named";
        QTest::newRow("none there") << "none";
    }
    void aVerbKeepsItsDevice() {
        QFETCH(QString, start);
        UMockdevTestbed* testbed = umockdev_testbed_new();
        const auto dropTestbed = qScopeGuard([testbed] { g_object_unref(testbed); });
        FakeHidrawDevice held(testbed, deviceAt(0, QStringLiteral("TX-HELD")));
        FakeHidrawDevice other(testbed, deviceAt(1, QStringLiteral("TX-OTHER")));
        FakeHidrawDevice heldElsewhere(testbed, deviceAt(3, QStringLiteral("TX-HELD")));
        // Another maker's device: once the library has announced it, it has dealt with what came before.
        FakeHidrawDevice marker(testbed, deviceAt(2, QString(), 0x1111));

        QTemporaryDir folder;
        cli::GlobalOptions options;
        options.dataDir = folder.path();
        options.journal = folder.filePath(QStringLiteral("journal.db"));
        if (start == QLatin1String("named"))
            options.devices = QStringList{QStringLiteral("TX-HELD")};
        if (start != QLatin1String("none"))
            held.plug();
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        {
            cli::CliContext context(options, outStream, errStream);
            DeviceLink& link = context.link();
            if (start == QLatin1String("none"))
                QTimer::singleShot(0, [&held] { held.plug(); });
            QVERIFY2(QCoro::waitFor(context.connectDevice()), qPrintable(err));
            QCOMPARE(link.serialNumber(), QStringLiteral("TX-HELD"));

            other.plug();
            marker.plug();
            QTRY_VERIFY_WITH_TIMEOUT(link.library().GetHandle(0x1111, 0xFEF3) != 0, kWait);
            QCOMPARE(other.openAttempts(), 0);
            QCOMPARE(HidapiLibrary::holderOf(other.node()), QString());
            QCOMPARE(HidapiLibrary::holderOf(held.node()), thisProgram());
            QVERIFY(link.isAttached());

            held.unplug();
            QTRY_VERIFY_WITH_TIMEOUT(!link.isAttached(), kWait);
            heldElsewhere.plug();
            QTRY_VERIFY_WITH_TIMEOUT(link.isAttached(), kWait);
            QCOMPARE(link.devicePath(), heldElsewhere.node());
            QCOMPARE(link.serialNumber(), QStringLiteral("TX-HELD"));
            QCOMPARE(other.openAttempts(), 0);
            QCOMPARE(HidapiLibrary::holderOf(other.node()), QString());
        }
        QCOMPARE(HidapiLibrary::holderOf(heldElsewhere.node()), QString());
    }
};

int main(int argc, char** argv) {
    FakeHidrawDevice::prepareProcess(argv);
    QCoreApplication app(argc, argv);
    CliDeviceChoiceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CliDeviceChoiceTest.moc"
