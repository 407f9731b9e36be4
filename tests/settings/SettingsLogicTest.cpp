// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AutoTuneTally.h"
#include "settings/DeviceInformation.h"
#include "settings/EnergyRate.h"
#include "settings/FirmwareVersion.h"
#include "settings/Sensitivity.h"
#include "settings/SettingsReadout.h"
#include "settings/Voice.h"

#include <QTest>

#include <array>
#include <optional>
#include <vector>

using namespace telvar;
using ConfigurationBytes::Setting;
using ConfigurationBytes::Write;
using Reply = std::array<quint8, 9>;

Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(std::optional<telvar::SliderValue>)

namespace {

// A "Z" reply: bytes 2-6 the characters, byte 7 the number.
Reply versionReply(const char* characters, quint8 number) {
    Reply reply{0, 'Z'};
    for (int i = 0; i < 5; ++i)
        reply[2 + i] = static_cast<quint8>(characters[i]);
    reply[7] = number;
    return reply;
}

std::vector<int> repeated(int value, int count) {
    return std::vector<int>(count, value);
}

std::vector<int> joined(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

class SettingsLogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // --- Read settings ------------------------------------------------------------------------------------
    void readValuesOutsideASlidersRangeAreSkipped_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("value");
        QTest::addColumn<std::optional<SliderValue>>("applied");
        const auto to = [](Setting s, int v) { return std::optional<SliderValue>(SliderValue{s, v}); };
        const std::optional<SliderValue> nothing;
        QTest::newRow("gain 0") << 0 << 0 << nothing;
        QTest::newRow("gain 1") << 0 << 1 << to(Setting::Gain, 1);
        QTest::newRow("gain 10") << 0 << 10 << to(Setting::Gain, 10);
        QTest::newRow("gain 11") << 0 << 11 << nothing;
        QTest::newRow("offset 9") << 1 << 9 << nothing;
        QTest::newRow("offset 255") << 1 << 255 << to(Setting::Offset, 255);
        QTest::newRow("volume 127") << 2 << 127 << to(Setting::Volume, 127);
        QTest::newRow("volume 128") << 2 << 128 << nothing;
        QTest::newRow("speed 0") << 3 << 0 << to(Setting::Speed, 0);
        QTest::newRow("pitch 254") << 4 << 254 << to(Setting::Pitch, 254);
        QTest::newRow("pitch 255") << 4 << 255 << nothing;
        QTest::newRow("bend 15") << 5 << 15 << to(Setting::Bend, 15);
        QTest::newRow("bend 16") << 5 << 16 << nothing;
        for (int address : {6, 7, 8, 9, 10, 11, 12, 14, 15})
            QTest::addRow("address %d has no slider", address) << address << 5 << nothing;
    }
    void readValuesOutsideASlidersRangeAreSkipped() {
        QFETCH(int, address);
        QFETCH(int, value);
        QFETCH(std::optional<SliderValue>, applied);
        SettingsReadout readout;
        QCOMPARE(readout.take(address, static_cast<quint8>(value)), applied);
    }

    void theRateComesFromTheHeldLowByte_data() {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("rate"); // 0: not applied
        QTest::newRow("4") << 4 << 0 << 4;
        QTest::newRow("255") << 255 << 0 << 255;
        QTest::newRow("256") << 0 << 1 << 256;
        QTest::newRow("1000") << 232 << 3 << 1000;
        QTest::newRow("0 is below the slider") << 0 << 0 << 0;
        QTest::newRow("3 is below the slider") << 3 << 0 << 0;
        QTest::newRow("1001 is above the slider") << 233 << 3 << 0;
        QTest::newRow("65535") << 255 << 255 << 0;
    }
    void theRateComesFromTheHeldLowByte() {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, rate);
        SettingsReadout readout;
        // A whole pass in address order: the bytes in between must not disturb the held low byte.
        std::optional<SliderValue> last;
        for (int address = 0; address <= SettingsReadout::kLastAddress; ++address) {
            const int value = address == 12 ? low : address == 13 ? high : 200;
            const auto applied = readout.take(address, static_cast<quint8>(value));
            if (address == 13)
                last = applied;
        }
        if (rate == 0)
            QVERIFY(!last);
        else
            QCOMPARE(last, std::optional<SliderValue>(SliderValue{Setting::Rate, rate}));
    }

    // --- Writes -------------------------------------------------------------------------------------------
    void voiceBytesAndWritesFollowTheSliders() {
        const VoiceSettings start{120, 114, 89, 6};
        QCOMPARE(Voice::chipBytes(start), QByteArray("\x14\x78\x15\x72\x16\x59\x17\x06", 8));
        QCOMPARE(Voice::chipBytes(Voice::kDefault), QByteArray("\x14\x7f\x15\x67\x16\x59\x17\x05", 8));
        const auto writes = Voice::writes({0, 127, 254, 15});
        QCOMPARE(std::vector<Write>(writes.begin(), writes.end()),
                 (std::vector<Write>{{2, 0}, {3, 127}, {4, 254}, {5, 15}}));
        const auto defaults = Voice::writes(Voice::kDefault);
        QCOMPARE(std::vector<Write>(defaults.begin(), defaults.end()),
                 (std::vector<Write>{{2, 127}, {3, 103}, {4, 89}, {5, 5}}));
    }

    void sensitivityWritesGainThenOffsetThenRepeatsTheOffset() {
        const auto writes = Sensitivity::writes(7, 120);
        QCOMPARE(std::vector<Write>(writes.begin(), writes.end()), (std::vector<Write>{{0, 7}, {1, 120}}));
        QCOMPARE(Sensitivity::storedArguments(255), (std::array<quint8, 2>{1, 255}));
    }

    void rateDisplayAndSplit_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("4") << 4 << "250.150 Hz" << 4 << 0;
        QTest::newRow("7") << 7 << "143.007 Hz" << 7 << 0;
        QTest::newRow("255") << 255 << "4.072 Hz" << 255 << 0;
        QTest::newRow("256") << 256 << "4.056 Hz" << 0 << 1;
        QTest::newRow("1000") << 1000 << "1.150 Hz" << 232 << 3;
    }
    void rateDisplayAndSplit() {
        QFETCH(int, rate);
        QFETCH(QString, display);
        QFETCH(int, low);
        QFETCH(int, high);
        QCOMPARE(EnergyRate::hzText(rate), display);
        const auto writes = EnergyRate::writes(rate);
        QCOMPARE(std::vector<Write>(writes.begin(), writes.end()),
                 (std::vector<Write>{{12, low}, {13, high}}));
    }

    // --- Auto-tune ----------------------------------------------------------------------------------------
    void aSampleSumsThreeReadingsOfLowPlus255High() {
        QCOMPARE(AutoTuneTally::sample(Reply{0, 'D', 180, 4, 0, 0, 0, 0, 99}), 180 + 4 * 255);
        QCOMPARE(AutoTuneTally::sample(Reply{0, 'D', 1, 0, 2, 1, 3, 2, 0}), 1 + 257 + 513);
        QCOMPARE(AutoTuneTally::sample(Reply{0, 'D', 254, 255, 254, 255, 254, 255, 0}), 3 * 65279);
    }

    void suggestions_data() {
        QTest::addColumn<std::vector<int>>("samples");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<QString>("gainText");
        QTest::addColumn<QString>("offsetText");
        QTest::newRow("all zero") << repeated(0, 100) << 1000 << "Sugested Gain =  8"
                                  << "Sugested Offset =  50";
        QTest::newRow("constant 1200") << repeated(1200, 100) << 1000 << "Sugested Gain =  7"
                                       << "Sugested Offset =  50";
        QTest::newRow("one spike") << joined(repeated(100, 99), {3000}) << 100 << "Sugested Gain =  4"
                                   << "Sugested Offset =  225";
        // 10 - 901 / 400 = 7.7475 and 801 / 4 = 200.25: both rounded down, neither clamped.
        QTest::newRow("rounded down")
            << joined(repeated(100, 50), repeated(901, 50)) << 100 << "Sugested Gain =  7"
            << "Sugested Offset =  200";
        QTest::newRow("fives never count as the minimum")
            << joined(repeated(5, 99), {900}) << 900 << "Sugested Gain =  8"
            << "Sugested Offset =  50";
        QTest::newRow("a six does") << joined(repeated(6, 99), {900}) << 6 << "Sugested Gain =  8"
                                    << "Sugested Offset =  156";
        // A maximum far below the minimum makes the offset negative before the clamp.
        QTest::newRow("gain far below zero") << repeated(60000, 100) << 1000 << "Sugested Gain =  2"
                                             << "Sugested Offset =  225";
    }
    void suggestions() {
        QFETCH(std::vector<int>, samples);
        QFETCH(int, minimum);
        QFETCH(QString, gainText);
        QFETCH(QString, offsetText);
        AutoTuneTally tally;
        for (int sample : samples)
            tally.add(sample);
        QCOMPARE(tally.minimum(), minimum);
        const AutoTuneSuggestion suggestion = tally.suggestion();
        QCOMPARE(suggestion.gainText(), gainText);
        QCOMPARE(suggestion.offsetText(), offsetText);
    }

    void passLabel() {
        QCOMPARE(AutoTuneTally::passText(1), QStringLiteral("Pass #  1"));
        QCOMPARE(AutoTuneTally::passText(100), QStringLiteral("Pass #  100"));
    }

    // --- Firmware and device information ------------------------------------------------------------------
    void versionText() {
        QCOMPARE(FirmwareVersion::text(versionReply("1.23A", 4)),
                 QStringLiteral("Firmware version: 1.23A 4-"));
        // Characters are Windows-1252, not Latin-1.
        QCOMPARE(FirmwareVersion::text(versionReply("2.0\x80M", 255)),
                 QString::fromUtf8("Firmware version: 2.0\u20acM 255-"));
    }

    void revisionHint_data() {
        QTest::addColumn<QByteArray>("characters");
        QTest::addColumn<QString>("header");
        const QString version = QStringLiteral("Firmware version: %1 4-\r\n");
        QTest::newRow("A") << QByteArray("1.23A")
                           << version.arg("1.23A") + "Use Firmware Updates for The Telvar X REV A: \r\n\r\n";
        QTest::newRow("M") << QByteArray("1.23M")
                           << version.arg("1.23M") + "Use Firmware Updates for The Telvar X REV M: \r\n\r\n";
        QTest::newRow("blank") << QByteArray("1.23 ")
                               << version.arg("1.23 ") + "Use Firmware Updates for  The Telvar X \r\n\r\n";
        QTest::newRow("another letter") << QByteArray("1.23B") << version.arg("1.23B");
        QTest::newRow("lower-case a") << QByteArray("1.23a") << version.arg("1.23a");
    }
    void revisionHint() {
        QFETCH(QByteArray, characters);
        QFETCH(QString, header);
        QCOMPARE(DeviceInformation::header(versionReply(characters.constData(), 4)), header);
    }

    void valueLines() {
        QCOMPARE(DeviceInformation::valueLine(4, 200),
                 QStringLiteral("Speech Pitch     0200.0 Min 0  max 127 \r\n"));
        QCOMPARE(DeviceInformation::valueLine(0, 5),
                 QStringLiteral("Current Gain     0005.0 Min 1  max 10  \r\n"));
        QCOMPARE(DeviceInformation::valueLine(1, 0),
                 QStringLiteral("Current Offset   0000.0 Min 10 max 255  \r\n"));
        QCOMPARE(DeviceInformation::valueLine(5, 15),
                 QStringLiteral("Speech Bend      0015.0 Min 0  max 127 \r\n\r\n"));
        QCOMPARE(DeviceInformation::valueLine(6, 9), QString());
        QCOMPARE(DeviceInformation::valueLine(-1, 9), QString());
    }

    void noticesAreTwoLinesEachFollowedByAnEmptyOne() {
        const QStringList parts = DeviceInformation::notices().split(QStringLiteral("\r\n"));
        QCOMPARE(parts.size(), 5);
        QVERIFY(!parts[0].isEmpty() && parts[1].isEmpty() && !parts[2].isEmpty());
        QVERIFY(parts[3].isEmpty() && parts[4].isEmpty());
    }
};

QTEST_GUILESS_MAIN(SettingsLogicTest)
#include "SettingsLogicTest.moc"
