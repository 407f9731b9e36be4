// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/BusyControls.h"

#include "support/VirtualTelvar.h"

#include <QPushButton>
#include <QTest>

using namespace telvar;

// A control that a running job would refuse must say so instead of ignoring the click, and must come back
// exactly as it was: a control the screen had disabled for its own reasons stays disabled afterwards.
class BusyControlsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void jobDisablesAndRestores() {
        test::VirtualTelvar rig;
        QPushButton say(QStringLiteral("Say Word"));
        say.setToolTip(QStringLiteral("Speaks the word"));
        QPushButton alreadyOff(QStringLiteral("Upload"));
        alreadyOff.setEnabled(false);
        BusyControls busy(rig.link);
        busy.add(&say, &alreadyOff);

        {
            std::optional<Sequence> job = rig.link.begin(DeviceLink::Role::Job, QStringLiteral("uploading"));
            QVERIFY(job);
            QVERIFY(!say.isEnabled());
            QCOMPARE(say.toolTip(), QStringLiteral("The Telvar X is busy: uploading"));
            QCOMPARE(alreadyOff.toolTip(), QStringLiteral("The Telvar X is busy: uploading"));
        }
        QVERIFY(say.isEnabled());
        QCOMPARE(say.toolTip(), QStringLiteral("Speaks the word"));
        QVERIFY(!alreadyOff.isEnabled());
        QVERIFY(alreadyOff.toolTip().isEmpty());
    }

    void sessionReadingLeavesControlsAlone() {
        test::VirtualTelvar rig;
        QPushButton say;
        BusyControls busy(rig.link);
        busy.add(&say);
        std::optional<Sequence> poll = rig.link.begin(DeviceLink::Role::Poll, QStringLiteral("a reading"));
        QVERIFY(say.isEnabled());
    }

    void controlAddedDuringAJobOrDestroyed() {
        test::VirtualTelvar rig;
        BusyControls busy(rig.link);
        auto* gone = new QPushButton;
        busy.add(gone);
        QPushButton late;
        {
            std::optional<Sequence> job = rig.link.begin(DeviceLink::Role::Job, QString());
            delete gone;
            busy.add(&late);
            QVERIFY(!late.isEnabled());
            QCOMPARE(late.toolTip(), QStringLiteral("The Telvar X is busy: a command"));
        }
        QVERIFY(late.isEnabled());
    }
};

QTEST_MAIN(BusyControlsTest)
#include "BusyControlsTest.moc"
