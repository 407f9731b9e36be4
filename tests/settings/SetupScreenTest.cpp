// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SetupScreen.h"
#include "settings/AutoTuneGroup.h"
#include "settings/EnergyGauge.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

using namespace telvar;
using ConfigurationBytes::Setting;

namespace {

template <typename T> T* find(const QWidget& root, const char* name) {
    T* widget = root.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

QString text(const QWidget& root, const char* name) {
    return find<QLineEdit>(root, name)->text();
}

// The point of the needle four fifths of the way from its tip to its pivot, in widget pixels.
QPoint needlePoint(const EnergyGauge& gauge, int tipX) {
    const double x = tipX + 0.8 * (1800 - tipX);
    const double y = 240 + 0.8 * (1080 - 240);
    return {int(x * gauge.width() / EnergyGauge::kWidth), int(y * gauge.height() / EnergyGauge::kHeight)};
}

bool dark(const QImage& image, QPoint at) {
    // The needle is dark grey; a pixel beside it may be blended, so look at a small square.
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (qGray(image.pixel(at + QPoint(dx, dy))) < 0x60)
                return true;
    return false;
}

} // namespace

class SetupScreenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readValuesShowInSlidersAndBoxes() {
        SetupScreen screen;
        // The design start values disagree (gain slider 1, box "4"): a read of the same value must still
        // show it in the box, and the rate display must follow a read of the slider's own start value.
        screen.apply({Setting::Gain, 1});
        screen.apply({Setting::Rate, 7});
        QCOMPARE(text(screen, "gainBox"), QStringLiteral(" 1"));
        QCOMPARE(text(screen, "rateDisplay"), QStringLiteral("143.007 Hz"));

        screen.apply({Setting::Offset, 200});
        screen.apply({Setting::Pitch, 254});
        screen.apply({Setting::Rate, 1000});
        QCOMPARE(find<QSlider>(screen, "offsetSlider")->value(), 200);
        QCOMPARE(text(screen, "offsetBox"), QStringLiteral(" 200"));
        QCOMPARE(text(screen, "pitchBox"), QStringLiteral(" 254"));
        QCOMPARE(text(screen, "rateDisplay"), QStringLiteral("1.150 Hz"));
    }

    void slidersMovedByTheUserUpdateTheirBoxes() {
        SetupScreen screen;
        auto* gain = find<QSlider>(screen, "gainSlider");
        QCOMPARE(gain->orientation(), Qt::Vertical); // 10 at the top
        gain->triggerAction(QSlider::SliderToMaximum);
        QCOMPARE(text(screen, "gainBox"), QStringLiteral(" 10"));
        gain->triggerAction(QSlider::SliderToMinimum);
        QCOMPARE(text(screen, "gainBox"), QStringLiteral(" 1"));
        find<QSlider>(screen, "bendSlider")->triggerAction(QSlider::SliderToMaximum);
        QCOMPARE(text(screen, "bendBox"), QStringLiteral(" 15"));
        auto* rate = find<QSlider>(screen, "rateSlider");
        rate->triggerAction(QSlider::SliderToMaximum);
        rate->triggerAction(QSlider::SliderToMinimum);
        QCOMPARE(text(screen, "rateDisplay"), QStringLiteral("250.150 Hz"));
    }

    void boxesOnlyShow() {
        SetupScreen screen;
        auto* offsetBox = find<QLineEdit>(screen, "offsetBox");
        auto* offset = find<QSlider>(screen, "offsetSlider");
        for (const char* name : {"gainBox", "offsetBox", "volumeBox", "speedBox", "pitchBox", "bendBox",
                                 "rateDisplay", "informationWindow"})
            QVERIFY2(find<QLineEdit>(screen, name)->isReadOnly(), name);

        QTest::mouseDClick(offsetBox, Qt::LeftButton);
        QCOMPARE(offsetBox->text(), QString());
        QCOMPARE(offset->value(), 50);
        offset->setValue(60);
        QCOMPARE(offsetBox->text(), QStringLiteral(" 60"));
    }

    void everyButtonAsksForItsSequence_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("sensitivity") << "saveSensitivityButton"
                                     << QByteArray(SIGNAL(saveSensitivityRequested()));
        QTest::newRow("test voice") << "testVoiceButton" << QByteArray(SIGNAL(testVoiceRequested()));
        QTest::newRow("save voice") << "saveVoiceButton" << QByteArray(SIGNAL(saveVoiceRequested()));
        QTest::newRow("default voice") << "defaultVoiceButton" << QByteArray(SIGNAL(defaultVoiceRequested()));
        QTest::newRow("rate") << "saveRateButton" << QByteArray(SIGNAL(saveRateRequested()));
        QTest::newRow("auto-tune") << "autoTuneStartButton" << QByteArray(SIGNAL(autoTuneRequested()));
        QTest::newRow("firmware") << "firmwareButton" << QByteArray(SIGNAL(firmwareRequested()));
        QTest::newRow("defaults") << "factoryDefaultsButton"
                                  << QByteArray(SIGNAL(factoryDefaultsRequested()));
        QTest::newRow("boot loader") << "bootLoaderButton" << QByteArray(SIGNAL(bootLoaderRequested()));
    }
    void everyButtonAsksForItsSequence() {
        QFETCH(QString, button);
        QFETCH(QByteArray, signal);
        SetupScreen screen;
        screen.readEnded(true); // the saves wait for a read
        QSignalSpy asked(&screen, signal.constData());
        QSignalSpy any(&screen, SIGNAL(saveSensitivityRequested()));
        find<QPushButton>(screen, button.toLatin1().constData())->click();
        QCOMPARE(asked.size(), 1);
        if (button != QLatin1String("saveSensitivityButton"))
            QCOMPARE(any.size(), 0);
    }

    void checkBoxesSayWhatTheyWillSwitch() {
        SetupScreen screen;
        QSignalSpy powerSave(&screen, &SetupScreen::powerSaveClicked);
        QSignalSpy amplifier(&screen, &SetupScreen::amplifierClicked);
        auto* whenDone = find<QCheckBox>(screen, "setWhenDoneBox");
        auto* amp = find<QCheckBox>(screen, "amplifierBox");

        whenDone->click();
        QCOMPARE(whenDone->text(), QStringLiteral("Power Save Off"));
        QVERIFY(!screen.autoTune()->setWhenDone());
        amp->click();
        QCOMPARE(amp->text(), QStringLiteral("Amp ON"));
        QCOMPARE(powerSave.takeFirst().at(0).toBool(), false);
        QCOMPARE(amplifier.takeFirst().at(0).toBool(), true);

        // A switch that did not reach the device is put back without asking again.
        screen.autoTune()->setPowerSave(true);
        QCOMPARE(whenDone->text(), QStringLiteral("Power Save On"));
        QVERIFY(whenDone->isChecked());
        QCOMPARE(powerSave.size(), 0);
    }

    void aRunShowsItsPassesAndSuggestion() {
        SetupScreen screen;
        AutoTuneGroup& autoTune = *screen.autoTune();
        auto* start = find<QPushButton>(screen, "autoTuneStartButton");
        autoTune.setRunning(true);
        QVERIFY(!start->isEnabled());
        autoTune.showSample(7, 1200);
        QVERIFY(autoTune.gauge()->sampling());
        QCOMPARE(find<QLabel>(screen, "passLabel")->text(), QStringLiteral("Pass #  7"));
        autoTune.showSuggestion({7, 50});
        autoTune.setRunning(false);
        QVERIFY(start->isEnabled());
        QVERIFY(!autoTune.gauge()->sampling());
        QCOMPARE(autoTune.gauge()->sample(), 1200); // the needle stays on the last sample
        QCOMPARE(find<QLabel>(screen, "passLabel")->text(), QStringLiteral("complete "));
        QCOMPARE(find<QLabel>(screen, "suggestedGainLabel")->text(), QStringLiteral("Sugested Gain =  7"));
        QCOMPARE(find<QLabel>(screen, "suggestedOffsetLabel")->text(),
                 QStringLiteral("Sugested Offset =  50"));
    }

    void aRunThatStopsTurnsTheGaugeGrey() {
        AutoTuneGroup autoTune;
        autoTune.setRunning(true);
        autoTune.showSample(3, 900);
        autoTune.setRunning(false);
        QVERIFY(!autoTune.gauge()->sampling());
    }

    void theGaugeDrawsItsNeedleAndColour() {
        EnergyGauge gauge;
        gauge.resize(EnergyGauge::kWidth / 5, EnergyGauge::kHeight / 5);
        const QImage resting = gauge.grab().toImage();
        QCOMPARE(resting.pixelColor(2, resting.height() - 2), QColor(0x80, 0x80, 0x80));
        QVERIFY(dark(resting, needlePoint(gauge, 0)));
        QVERIFY(!dark(resting, needlePoint(gauge, 3600)));

        gauge.setSampling(true);
        gauge.setSample(3600);
        const QImage moved = gauge.grab().toImage();
        QCOMPARE(moved.pixelColor(2, moved.height() - 2), QColor(0x00, 0xFF, 0xFF));
        // Sampling shows in a bar along the top as well, for those who cannot tell the colours apart.
        QCOMPARE(moved.pixelColor(moved.width() / 2, 1), QColor(Qt::black));
        QCOMPARE(resting.pixelColor(resting.width() / 2, 1), QColor(0x80, 0x80, 0x80));
        QVERIFY(gauge.accessibleDescription().startsWith(QStringLiteral("Sampling")));
        QVERIFY(dark(moved, needlePoint(gauge, 3600)));
        QVERIFY(!dark(moved, needlePoint(gauge, 0)));
    }

    void theGaugeScalesWithItsWidget() {
        EnergyGauge gauge;
        gauge.resize(EnergyGauge::kWidth / 10, EnergyGauge::kHeight / 10);
        gauge.setSample(3600);
        QVERIFY(dark(gauge.grab().toImage(), needlePoint(gauge, 3600)));
    }

    // The gauge's size places its text but does not scale it: its digits are as tall at any width.
    void theGaugeTextKeepsItsSizeAtAnyWidth() {
        QList<int> heights;
        for (const QSize size : {QSize(400, 120), QSize(1200, 360)}) {
            EnergyGauge gauge;
            gauge.resize(size);
            const QImage image = gauge.grab().toImage();
            // The rows holding the scale's black digits in the right half, away from the resting needle.
            QList<int> inked;
            for (int y = 0; y < image.height(); ++y)
                for (int x = image.width() / 2; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < 0x20 && !inked.contains(y))
                        inked << y;
            int run = 1;
            while (run < inked.size() && inked.at(run) == inked.first() + run)
                ++run;
            heights << run;
        }
        QVERIFY2(qAbs(heights.at(0) - heights.at(1)) <= 1, qPrintable(QString::number(heights.at(1))));
    }

    void nothingIsSqueezedAtTheWindowsDefaultSize() {
        SetupScreen screen;
        // The main window's screen area at its default size, less the tab strip.
        const QSize area(900, 560);
        QVERIFY2(screen.minimumSizeHint().width() <= area.width() &&
                     screen.minimumSizeHint().height() <= area.height(),
                 qPrintable(QStringLiteral("%1 x %2")
                                .arg(screen.minimumSizeHint().width())
                                .arg(screen.minimumSizeHint().height())));
        screen.resize(area);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        for (QWidget* child : screen.findChildren<QWidget*>()) {
            if (!child->isVisible() || child->minimumSizeHint().isEmpty())
                continue;
            QVERIFY2(child->width() >= child->minimumSizeHint().width() &&
                         child->height() >= child->minimumSizeHint().height(),
                     qPrintable(child->objectName() + QStringLiteral(" is squeezed")));
        }
    }
};

QTEST_MAIN(SetupScreenTest)
#include "SetupScreenTest.moc"
