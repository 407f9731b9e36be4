// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"

#include "emulator/DeviceState.h"
#include "emulator/FaultSet.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>

using namespace telvar;
using telvar::test::WindowRig;
using telvar::test::WindowSetup;

namespace {

void setConfig(EmulatedLibrary& library, std::initializer_list<std::pair<int, int>> bytes) {
    DeviceState state = DeviceState::factory();
    for (const auto& [address, value] : bytes)
        state.config[address] = static_cast<quint8>(value);
    library.device().setState(state);
}

} // namespace

// The SET UP and About tabs read the device when they are selected.
class SetupTabsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void selectingTheTabsFillsThemFromTheDevice() {
        WindowRig rig;
        QVERIFY(rig.waitAttached());
        QTRY_VERIFY(rig.tabStrip()->isVisible());
        setConfig(rig.library, {{0, 9}, {1, 222}, {4, 200}});

        rig.clickTab(QStringLiteral("About"));
        auto* about = rig.find<QPlainTextEdit>(QStringLiteral("Text1"));
        QTRY_VERIFY(about->toPlainText().contains(QStringLiteral("Speech Bend")));
        // Straight on to SET UP while the About read may still hold the device: the read waits its turn.
        rig.clickTab(QStringLiteral("SET UP"));
        QVERIFY(rig.waitIdle());
        QTRY_COMPARE(rig.find<QSlider>(QStringLiteral("gainSlider"))->value(), 9);
        QCOMPARE(rig.find<QLineEdit>(QStringLiteral("offsetBox"))->text(), QStringLiteral(" 222"));
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Telvar X setup Screen "));

        // Each CR LF of the device information is one line break of the box.
        const QString text = about->toPlainText();
        QVERIFY(!text.contains(QLatin1Char('\r')));
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.at(0), QStringLiteral("Firmware version: 1.23A 4-"));
        QCOMPARE(lines.at(1), QStringLiteral("Use Firmware Updates for The Telvar X REV A: "));
        QVERIFY(lines.contains(QStringLiteral("Current Gain     0009.0 Min 1  max 10  ")));
        QVERIFY(lines.contains(QStringLiteral("Speech Pitch     0200.0 Min 0  max 127 ")));
    }

    void aSilentDeviceLeavesTheScreenUsableAndSaysWhy() {
        WindowRig rig(WindowSetup().withReplyLimit(std::chrono::milliseconds(80)));
        QVERIFY(rig.waitAttached());
        QTRY_VERIFY(rig.tabStrip()->isVisible());
        FaultSet faults;
        QVERIFY(faults.add(QStringLiteral("drop:C")).isEmpty());
        rig.library.device().setFaults(faults);
        rig.clickTab(QStringLiteral("SET UP"));
        QVERIFY(rig.waitIdle());
        QTRY_COMPARE(rig.window->windowTitle(),
                     QStringLiteral("Settings not read at \"C\" 0: no reply from the Telvar X"));
        QCOMPARE(rig.find<QSlider>(QStringLiteral("gainSlider"))->value(), 1);
        QVERIFY(!rig.frame(QStringLiteral("pleaseWaitFrame"))->isVisible());
        // Nothing was read: no box shows a value that looks read, and each slider looks unknown until
        // the user moves it.
        for (const char* box :
             {"gainBox", "offsetBox", "volumeBox", "speedBox", "pitchBox", "bendBox", "rateDisplay"})
            QVERIFY2(rig.find<QLineEdit>(QString::fromLatin1(box))->text().isEmpty(), box);
        auto* volume = rig.find<QSlider>(QStringLiteral("volumeSlider"));
        const auto greyed = [volume] {
            return volume->palette().color(QPalette::Active, QPalette::Highlight) ==
                   volume->palette().color(QPalette::Disabled, QPalette::Highlight);
        };
        QVERIFY(greyed());
        volume->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(rig.find<QLineEdit>(QStringLiteral("volumeBox"))->text(),
                 QStringLiteral(" %1").arg(volume->value()));
        QVERIFY(!greyed());
    }
};

QTEST_MAIN(SetupTabsTest)
#include "SetupTabsTest.moc"
