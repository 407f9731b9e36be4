// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeScreenHost.h"
#include "support/VirtualTelvar.h"

#include "device/Timings.h"
#include "emulator/DeviceState.h"
#include "emulator/FaultSet.h"
#include "emulator/SensorScript.h"
#include "settings/AutoTuneGroup.h"
#include "settings/SetupController.h"
#include "settings/SetupScreen.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <memory>

using namespace telvar;
using telvar::test::FakeScreenHost;
using telvar::test::runUntil;
using telvar::test::VirtualTelvar;

namespace {

// The SET UP screen and the About text on the virtual device, run as the main window runs them.
struct Rig {
    VirtualTelvar telvar;
    FakeScreenHost host{telvar.link};
    std::unique_ptr<SetupScreen> screen = std::make_unique<SetupScreen>();
    QPlainTextEdit about{QStringLiteral("About Screen")};
    SetupController* controller = new SetupController(host, screen.get(), &about);

    template <typename T> T* find(const char* name) const {
        return screen->findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* button(const char* name) const { return find<QPushButton>(name); }
    int slider(const char* name) const { return find<QSlider>(name)->value(); }
    QString box(const char* name) const { return find<QLineEdit>(name)->text(); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }

    void withFault(const QString& spec) {
        FaultSet faults;
        QVERIFY(faults.add(spec).isEmpty());
        telvar.device().setFaults(faults);
    }
    void withSensor(const QString& script) {
        QString error;
        telvar.device().setSensorScript(*SensorScript::parse(script, &error));
    }
    bool idle() {
        return runUntil([this] { return !telvar.link.sequenceRunning(); });
    }
};

void setConfig(VirtualDevice& device, std::initializer_list<std::pair<int, int>> bytes) {
    DeviceState state = DeviceState::factory();
    for (const auto& [address, value] : bytes)
        state.config[address] = static_cast<quint8>(value);
    device.setState(state);
}

} // namespace

class SetupControllerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Timings::setDivisor(100); }
    void cleanup() { Timings::setDivisor(1); }

    void readSettingsFillsTheSlidersItCan() {
        Rig rig;
        QVERIFY(rig.telvar.attach());
        setConfig(rig.telvar.device(), {{0, 0}, {1, 90}, {5, 12}, {12, 232}, {13, 3}});
        rig.controller->readSettings();
        QVERIFY(rig.idle());
        // Gain 0 is no slider position: the gain keeps its design value, which its box now shows.
        QCOMPARE(rig.slider("gainSlider"), 1);
        QCOMPARE(rig.box("gainBox"), QStringLiteral(" 1"));
        QCOMPARE(rig.box("offsetBox"), QStringLiteral(" 90"));
        QCOMPARE(rig.box("bendBox"), QStringLiteral(" 12"));
        QCOMPARE(rig.box("rateDisplay"), QStringLiteral("1.150 Hz"));
    }

    void aReadThatStopsKeepsTheRestAndSaysWhere() {
        Rig rig;
        QVERIFY(rig.telvar.attach());
        rig.telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(80));
        setConfig(rig.telvar.device(), {{0, 9}, {1, 90}, {2, 7}});
        rig.withFault(QStringLiteral("unplug-after:2"));
        rig.controller->readSettings();
        QVERIFY(rig.idle());
        QCOMPARE(rig.slider("gainSlider"), 9);
        QCOMPARE(rig.slider("offsetSlider"), 50);
        QCOMPARE(rig.slider("volumeSlider"), 120);
        QCOMPARE(rig.host.status(),
                 QStringLiteral("Settings not read at \"C\" 1: the Telvar X is not connected"));
    }

    // A save writes slider positions, so it waits until the user has seen them: after a read of the
    // device, or after moving the sliders it writes. A failed read leaves the design's start positions,
    // which the boxes do not show, and saving them would store values nobody chose.
    void savesWaitUntilTheirSlidersAreShown_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArrayList>("sliders"); // what the save writes
        QTest::addColumn<QString>("how");            // "read": read again; "move": the user moves them
        QTest::addColumn<QList<int>>("written");     // "B" reports: address, value, address, value ...
        const QByteArrayList sensitivity{"gainSlider", "offsetSlider"};
        const QByteArrayList voice{"volumeSlider", "speedSlider", "pitchSlider", "bendSlider"};
        QTest::newRow("sensitivity, read")
            << QByteArray("saveSensitivityButton") << sensitivity << "read" << QList<int>{0, 6, 1, 120};
        QTest::newRow("sensitivity, moved")
            << QByteArray("saveSensitivityButton") << sensitivity << "move" << QList<int>{0, 2, 1, 51};
        QTest::newRow("voice, read") << QByteArray("saveVoiceButton") << voice << "read"
                                     << QList<int>{2, 100, 3, 90, 4, 254, 5, 9};
        QTest::newRow("voice, moved")
            << QByteArray("saveVoiceButton") << voice << "move" << QList<int>{2, 121, 3, 115, 4, 90, 5, 7};
        QTest::newRow("rate, read") << QByteArray("saveRateButton") << QByteArrayList{"rateSlider"} << "read"
                                    << QList<int>{12, 44, 13, 1};
        QTest::newRow("rate, moved") << QByteArray("saveRateButton") << QByteArrayList{"rateSlider"} << "move"
                                     << QList<int>{12, 8, 13, 0};
    }
    void savesWaitUntilTheirSlidersAreShown() {
        QFETCH(QByteArray, button);
        QFETCH(QByteArrayList, sliders);
        QFETCH(QString, how);
        QFETCH(QList<int>, written);
        Rig rig;
        QVERIFY(rig.telvar.attach());
        rig.telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(80));
        setConfig(rig.telvar.device(),
                  {{0, 6}, {1, 120}, {2, 100}, {3, 90}, {4, 254}, {5, 9}, {12, 44}, {13, 1}});
        QPushButton* save = rig.button(button.constData());
        QVERIFY(!save->isEnabled()); // nothing read yet

        rig.withFault(QStringLiteral("drop:C"));
        rig.controller->readSettings();
        QVERIFY(rig.idle());
        QVERIFY(!save->isEnabled());

        if (how == QLatin1String("read")) {
            rig.telvar.device().setFaults({});
            rig.controller->readSettings();
            QVERIFY(rig.idle());
        } else {
            for (const QByteArray& name : sliders) {
                QVERIFY2(!save->isEnabled(), name.constData()); // each slider it writes must be moved
                rig.find<QSlider>(name.constData())->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            }
        }
        QVERIFY(save->isEnabled());

        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY(rig.idle());
        QList<int> sent;
        for (const auto& report : rig.telvar.sentWith('B'))
            sent << report[2] << report[3];
        QCOMPARE(sent, written);
    }

    // SET UP shows only what it read or the user chose: while it reads and after a failed read the boxes are
    // blank, the sliders show no position, and what would play an unseen voice is off.
    void onlyValuesReadOrChosenAreShown_data() {
        QTest::addColumn<QString>("stage");
        QTest::addColumn<QString>("volumeBox");
        QTest::addColumn<bool>("positioned"); // the volume slider's picture shows its value
        QTest::addColumn<bool>("test");       // Test Voice enabled: it plays all four sliders
        QTest::addColumn<bool>("restore");    // Default Voice enabled
        QTest::newRow("reading") << "reading"
                                 << "" << false << false << false;
        QTest::newRow("read") << "read"
                              << " 100" << true << true << true;
        QTest::newRow("read failed") << "failed"
                                     << "" << false << false << false;
        QTest::newRow("volume moved after that") << "moved"
                                                 << " 121" << true << false << true;
        QTest::newRow("volume clicked at its start after that") << "clicked"
                                                                << " 0" << true << false << true;
    }
    void onlyValuesReadOrChosenAreShown() {
        QFETCH(QString, stage);
        QFETCH(bool, positioned);
        Rig rig;
        QVERIFY(rig.telvar.attach());
        rig.telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(80));
        setConfig(rig.telvar.device(), {{0, 6}, {2, 100}});
        if (stage != QLatin1String("read"))
            rig.withFault(QStringLiteral("drop:C"));
        rig.controller->readSettings();
        if (stage != QLatin1String("reading"))
            QVERIFY(rig.idle());
        auto* volume = rig.find<QSlider>("volumeSlider");
        if (stage == QLatin1String("moved"))
            volume->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        if (stage == QLatin1String("clicked")) {
            // A style whose click pages, as the program's does: a page from a position nobody sees is no
            // choice.
            QScopedPointer<QStyle> paging(QStyleFactory::create(QStringLiteral("Windows")));
            volume->setStyle(paging.get());
            volume->resize(200, 30);
            QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(2, 15));
            volume->setStyle(nullptr);
        }
        QTEST(rig.box("volumeBox"), "volumeBox");
        QCOMPARE(rig.box("gainBox").isEmpty(), stage != QLatin1String("read"));
        QTEST(rig.button("testVoiceButton")->isEnabled(), "test");
        QTEST(rig.button("defaultVoiceButton")->isEnabled(), "restore");
        const QImage before = volume->grab().toImage();
        const QSignalBlocker quiet(volume);
        volume->setValue(volume->value() == 0 ? 127 : 0);
        QCOMPARE(volume->grab().toImage() != before, positioned);
        QVERIFY(rig.idle());
    }

    void savesShowThePleaseWaitFrameAndTakeItDownOnFailure_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("status");
        QTest::newRow("rate, reply dropped") << QByteArray("saveRateButton") << "drop:B"
                                             << "Rate not saved at \"B\" 12: no reply from the Telvar X";
        QTest::newRow("rate, unplugged") << QByteArray("saveRateButton") << "unplug-after:2"
                                         << "Rate not saved at \"B\" 13: the Telvar X is not connected";
        QTest::newRow("sensitivity, write refused") << QByteArray("saveSensitivityButton") << "refuse-after:0"
                                                    << "Sensitivity not saved at \"B\" 0: could not send";
    }
    void savesShowThePleaseWaitFrameAndTakeItDownOnFailure() {
        QFETCH(QByteArray, button);
        QFETCH(QString, fault);
        QFETCH(QString, status);
        Rig rig;
        QVERIFY(rig.telvar.attach());
        rig.telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(80));
        rig.screen->readEnded(true); // as after a read: the saves are enabled
        rig.withFault(fault);
        rig.button(button.constData())->click();
        // (A refused write ends the job before the click returns.)
        if (!fault.startsWith(QLatin1String("refuse")))
            QVERIFY(rig.host.pleaseWaitVisible);
        QVERIFY(rig.idle());
        QVERIFY(!rig.host.pleaseWaitVisible);
        QVERIFY2(rig.host.status().startsWith(status), qPrintable(rig.host.status()));
    }

    void autoTuneWithSetWhenDoneMovesAndSavesTheSliders() {
        Rig rig;
        QVERIFY(rig.telvar.attach());
        setConfig(rig.telvar.device(), {});
        rig.withSensor(QStringLiteral("1200x100"));
        QPushButton* start = rig.button("autoTuneStartButton");
        start->click();
        QVERIFY(!start->isEnabled());
        // A second run cannot start over the first.
        start->click();
        QVERIFY(runUntil([&] { return rig.host.pleaseWaitVisible; }));
        QVERIFY(rig.idle());
        QVERIFY(start->isEnabled());
        QVERIFY(!rig.host.pleaseWaitVisible);
        QCOMPARE(rig.label("suggestedGainLabel"), QStringLiteral("Sugested Gain =  7"));
        QCOMPARE(rig.label("suggestedOffsetLabel"), QStringLiteral("Sugested Offset =  50"));
        QCOMPARE(rig.label("passLabel"), QStringLiteral("complete "));
        QCOMPARE(rig.slider("gainSlider"), 7);
        QCOMPARE(rig.box("offsetBox"), QStringLiteral(" 50"));
        QCOMPARE(rig.telvar.device().configByte(0), quint8(7));
        QCOMPARE(rig.telvar.device().configByte(1), quint8(50));
        QCOMPARE(rig.telvar.sentWith('D').size(), 100);
    }

    void autoTuneEndsOnUnplugOrWhenTheScreenIsLeft_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("status");
        QTest::newRow("unplugged") << "unplug-after:5"
                                   << "Auto tune stopped at pass 5: the Telvar X is not connected";
        QTest::newRow("reply dropped") << "drop:D"
                                       << "Auto tune stopped at pass 1: no reply from the Telvar X";
        QTest::newRow("screen left") << QString() << "Auto tune stopped at pass";
    }
    void autoTuneEndsOnUnplugOrWhenTheScreenIsLeft() {
        QFETCH(QString, fault);
        QFETCH(QString, status);
        Rig rig;
        QVERIFY(rig.telvar.attach());
        rig.telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(80));
        setConfig(rig.telvar.device(), {{0, 3}, {1, 33}});
        rig.screen->apply({ConfigurationBytes::Setting::Gain, 3});
        if (!fault.isEmpty())
            rig.withFault(fault);
        rig.button("autoTuneStartButton")->click();
        if (fault.isEmpty()) {
            QVERIFY(runUntil([&] { return rig.telvar.sentWith('D').size() >= 3; }));
            rig.controller->setupLeft();
            // The About screen is read right after, once the run has let go.
            rig.controller->showDeviceInformation();
            QVERIFY(
                runUntil([&] { return rig.about.toPlainText().contains(QStringLiteral("Current Gain")); }));
        }
        QVERIFY(rig.idle());
        QVERIFY(runUntil([&] { return rig.button("autoTuneStartButton")->isEnabled(); }));
        QVERIFY2(rig.host.statuses.contains(status) ||
                     std::any_of(rig.host.statuses.begin(), rig.host.statuses.end(),
                                 [&](const QString& text) { return text.startsWith(status); }),
                 qPrintable(rig.host.statuses.join(QLatin1Char('|'))));
        QVERIFY(!rig.host.pleaseWaitVisible);
        QCOMPARE(rig.label("suggestedGainLabel"), QStringLiteral("Sugested Gain ="));
        QCOMPARE(rig.slider("gainSlider"), 3);
        QCOMPARE(rig.telvar.device().configByte(0), quint8(3));
        QVERIFY(rig.telvar.sentWith('B').isEmpty());
    }

    void switchesThatDoNotGoThroughFlipBack() {
        Rig rig;
        QVERIFY(rig.telvar.attach());
        // Another job holds the device: both clicks are refused and the boxes show the device's state again.
        auto held = rig.telvar.link.begin();
        auto* amplifier = rig.find<QCheckBox>("amplifierBox");
        auto* powerSave = rig.find<QCheckBox>("setWhenDoneBox");
        QTest::mouseClick(amplifier, Qt::LeftButton);
        QTest::mouseClick(powerSave, Qt::LeftButton);
        QVERIFY(runUntil([&] { return !amplifier->isChecked() && powerSave->isChecked(); }));
        QCOMPARE(amplifier->text(), QStringLiteral("Amp OFF"));
        QCOMPARE(powerSave->text(), QStringLiteral("Power Save On"));
        QCOMPARE(rig.host.status(), DeviceLink::busyText());
        held.reset();

        QTest::mouseClick(amplifier, Qt::LeftButton);
        QVERIFY(rig.idle());
        QVERIFY(amplifier->isChecked());
        QCOMPARE(rig.telvar.sentWith('L').size(), 1);
        QVERIFY(rig.telvar.sentWith('M').isEmpty());
    }

    void maintenanceButtonsAskFirstAndShowTheirResults() {
        Rig rig;
        QVERIFY(rig.telvar.attach());
        rig.button("firmwareButton")->click();
        QVERIFY(rig.idle());
        QCOMPARE(rig.box("informationWindow"), QStringLiteral("Firmware version: 1.23A 4-"));

        rig.host.fakePrompter().answers.enqueue(false);
        rig.button("factoryDefaultsButton")->click();
        QVERIFY(rig.idle());
        QCOMPARE(rig.host.fakePrompter().texts.last(), QStringLiteral("No changes made"));
        QVERIFY(rig.telvar.sentWith('$').isEmpty());
    }
};

QTEST_MAIN(SetupControllerTest)
#include "SetupControllerTest.moc"
