// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakePrompter.h"
#include "support/VirtualTelvar.h"

#include "device/Timings.h"
#include "emulator/DeviceState.h"
#include "emulator/FaultSet.h"
#include "emulator/SensorScript.h"
#include "settings/AutoTune.h"
#include "settings/DeviceInformation.h"
#include "settings/DeviceInformationRead.h"
#include "settings/MaintenanceCommands.h"
#include "settings/RateSave.h"
#include "settings/SensitivitySave.h"
#include "settings/SettingsRead.h"
#include "settings/VoiceSequence.h"

#include <QTest>

using namespace telvar;
using ConfigurationBytes::Setting;
using telvar::test::FakePrompter;
using telvar::test::VirtualTelvar;

namespace {

constexpr std::chrono::milliseconds kShortLimit{80};

void setConfig(VirtualDevice& device, std::initializer_list<std::pair<int, int>> bytes) {
    DeviceState state = DeviceState::factory();
    for (const auto& [address, value] : bytes)
        state.config[address] = static_cast<quint8>(value);
    device.setState(state);
}

QByteArray letters(const QList<VirtualTelvar::Report>& reports) {
    QByteArray out;
    for (const auto& report : reports)
        out.append(static_cast<char>(report[1]));
    return out;
}

QList<int> firstArguments(const QList<VirtualTelvar::Report>& reports) {
    QList<int> out;
    for (const auto& report : reports)
        out << report[2];
    return out;
}

// What the device says: the codes passed with "V" and the voice test steps, in order.
QList<int> spoken(VirtualDevice& device) {
    QList<int> out;
    for (const Utterance& utterance : device.speechLog()) {
        if (utterance.kind == Utterance::Kind::Code || utterance.kind == Utterance::Kind::Value)
            out << static_cast<quint8>(utterance.codes.at(0));
        else if (utterance.kind == Utterance::Kind::VoiceTest)
            out << -utterance.address;
    }
    return out;
}

// A prompter that notes whether the device was held while it asked.
class WatchingPrompter : public FakePrompter {
public:
    explicit WatchingPrompter(DeviceLink& link) : m_link(link) {}
    QCoro::Task<bool> askYesNo(QString text, QString title) override {
        heldWhileAsking = heldWhileAsking || m_link.sequenceRunning();
        co_return co_await FakePrompter::askYesNo(text, title);
    }
    bool heldWhileAsking = false;

private:
    DeviceLink& m_link;
};

} // namespace

class SettingsSequenceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Timings::setDivisor(100); } // the one-second paces and the 100 ms pauses
    void cleanup() { Timings::setDivisor(1); }

    void readSettingsAppliesOnlyWhatFitsASlider() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        // Gain 0, speed 128 and bend 16 lie outside their sliders; the rate 3 x 256 + 232 = 1000 is inside.
        setConfig(telvar.device(),
                  {{0, 0}, {1, 200}, {2, 127}, {3, 128}, {4, 254}, {5, 16}, {12, 232}, {13, 3}, {14, 99}});
        SettingsRead read(telvar.link);
        QList<SliderValue> applied;
        QList<int> addresses;
        connect(&read, &SettingsRead::valueRead, [&](const SliderValue& value) { applied << value; });
        connect(&read, &SettingsRead::byteRead, [&](int address, quint8) { addresses << address; });

        QVERIFY(QCoro::waitFor(read.run()).completed());

        QCOMPARE(applied, (QList<SliderValue>{{Setting::Offset, 200},
                                              {Setting::Volume, 127},
                                              {Setting::Pitch, 254},
                                              {Setting::Rate, 1000}}));
        QCOMPARE(addresses.size(), 15);
        QCOMPARE(firstArguments(telvar.sentWith('C')), addresses);
        QCOMPARE(addresses.last(), 14);

        // A stored rate of 0 would make no frequency: it is left off.
        setConfig(telvar.device(), {{12, 0}, {13, 0}});
        applied.clear();
        QVERIFY(QCoro::waitFor(read.run()).completed());
        QVERIFY(std::none_of(applied.begin(), applied.end(),
                             [](const SliderValue& value) { return value.setting == Setting::Rate; }));
    }

    void savesWriteTheirBytesInOrder() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setConfig(telvar.device(), {});

        SensitivitySave sensitivity(telvar.link);
        QVERIFY(QCoro::waitFor(sensitivity.run(7, 120)).completed());
        QCOMPARE(telvar.device().configByte(0), quint8(7));
        QCOMPARE(telvar.device().configByte(1), quint8(120));
        QCOMPARE(letters(telvar.sent), QByteArray("BBd"));
        QCOMPARE(telvar.sent.at(2)[2], quint8(1));
        QCOMPARE(telvar.sent.at(2)[3], quint8(120));

        telvar.sent.clear();
        VoiceSequence voice(telvar.link);
        QVERIFY(QCoro::waitFor(voice.save({100, 50, 200, 15})).completed());
        QCOMPARE(firstArguments(telvar.sent), (QList<int>{2, 3, 4, 5}));
        for (const auto& [address, value] : {std::pair{2, 100}, {3, 50}, {4, 200}, {5, 15}})
            QCOMPARE(telvar.device().configByte(address), quint8(value));
        QCOMPARE(telvar.link.pausePeriod(), Timings::kSettingsPause);

        telvar.sent.clear();
        RateSave rate(telvar.link);
        QVERIFY(QCoro::waitFor(rate.run(256)).completed());
        QCOMPARE(firstArguments(telvar.sent), (QList<int>{12, 13}));
        QCOMPARE(telvar.device().configByte(12), quint8(0));
        QCOMPARE(telvar.device().configByte(13), quint8(1));

        FakePrompter prompter;
        MaintenanceCommands maintenance(telvar.link, prompter);
        QVERIFY(QCoro::waitFor(maintenance.powerSave(true)).completed());
        QVERIFY(QTest::qWaitFor([&] { return telvar.device().configByte(8) == 1; }));
        QVERIFY(QCoro::waitFor(maintenance.amplifier(false)).completed());
        QVERIFY(QTest::qWaitFor([&] { return !telvar.device().amplifierOn(); }));
    }

    void testVoicePlaysWithoutStoring() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setConfig(telvar.device(), {});
        VoiceSequence voice(telvar.link);
        QVERIFY(QCoro::waitFor(voice.test({120, 114, 89, 6})).completed());
        QVERIFY(QTest::qWaitFor([&] { return spoken(telvar.device()).size() == 11; }));
        QCOMPARE(spoken(telvar.device()), (QList<int>{20, 120, 21, 114, 22, 89, 23, 6, -1, -2, -3}));
        QCOMPARE(telvar.device().configByte(2), DeviceState::factoryConfig()[2]);
    }

    void defaultVoiceAndFactoryDefaultsRestoreTheFactoryVoice() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        const auto factory = DeviceState::factoryConfig();
        setConfig(telvar.device(), {{0, 9}, {1, 11}, {2, 1}, {3, 2}, {4, 3}, {5, 4}});

        VoiceSequence voice(telvar.link);
        QVERIFY(QCoro::waitFor(voice.restoreDefault()).completed());
        QCOMPARE((QList<int>{telvar.device().configByte(2), telvar.device().configByte(3),
                             telvar.device().configByte(4), telvar.device().configByte(5)}),
                 (QList<int>{127, 103, 89, 5}));
        QCOMPARE(telvar.device().configByte(0), quint8(9)); // the gain is no part of the voice
        QVERIFY(QTest::qWaitFor([&] { return spoken(telvar.device()).size() == 11; }));
        QCOMPARE(spoken(telvar.device()), (QList<int>{20, 127, 21, 103, 22, 89, 23, 5, -1, -2, -3}));

        setConfig(telvar.device(), {{0, 9}, {1, 11}, {2, 1}, {3, 2}, {4, 3}, {5, 4}});
        FakePrompter prompter;
        MaintenanceCommands maintenance(telvar.link, prompter);
        QVERIFY(QCoro::waitFor(maintenance.factoryDefaults()).completed());
        QVERIFY(QTest::qWaitFor([&] { return telvar.device().configByte(0) == factory[0]; }));
        for (int address = 0; address <= 5; ++address)
            QCOMPARE(telvar.device().configByte(address), factory[address]);
        QCOMPARE(prompter.texts, (QStringList{MaintenanceCommands::factoryDefaultsQuestion(),
                                              QStringLiteral("Defaults set")}));
    }

    void aConfirmationComesBeforeTheDeviceIsTaken_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("bootLoader");
        QTest::newRow("defaults, no") << false << false;
        QTest::newRow("boot loader, no") << false << true;
        QTest::newRow("defaults, yes") << true << false;
        QTest::newRow("boot loader, yes") << true << true;
    }
    void aConfirmationComesBeforeTheDeviceIsTaken() {
        QFETCH(bool, yes);
        QFETCH(bool, bootLoader);
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        WatchingPrompter prompter(telvar.link);
        prompter.answers.enqueue(yes);
        MaintenanceCommands maintenance(telvar.link, prompter);
        const SequenceOutcome outcome =
            QCoro::waitFor(bootLoader ? maintenance.bootLoader() : maintenance.factoryDefaults());
        QVERIFY(!prompter.heldWhileAsking);
        if (!yes) {
            QCOMPARE(outcome.status, SequenceOutcome::Status::Declined);
            QVERIFY(telvar.sent.isEmpty());
            QCOMPARE(prompter.texts.last(), QStringLiteral("No changes made"));
        } else {
            QVERIFY(outcome.completed());
            QCOMPARE(letters(telvar.sent), QByteArray(bootLoader ? "@" : "$"));
        }
    }

    void aStalledOrVanishingDeviceEndsTheSequence_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("step");
        QTest::newRow("read settings, C dropped") << "read"
                                                  << "drop:C"
                                                  << "\"C\" 0";
        QTest::newRow("read settings, unplugged") << "read"
                                                  << "unplug-after:4"
                                                  << "\"C\" 3";
        QTest::newRow("read settings, write refused") << "read"
                                                      << "refuse-after:6"
                                                      << "\"C\" 6";
        QTest::newRow("rate, B dropped") << "rate"
                                         << "drop:B"
                                         << "\"B\" 12";
        QTest::newRow("rate, unplugged") << "rate"
                                         << "unplug-after:2"
                                         << "\"B\" 13";
        QTest::newRow("auto-tune, D dropped") << "tune"
                                              << "drop:D"
                                              << "pass 1:";
        QTest::newRow("auto-tune, unplugged") << "tune"
                                              << "unplug-after:30"
                                              << "pass 30:";
        QTest::newRow("sensitivity, write refused") << "sensitivity"
                                                    << "refuse-after:1"
                                                    << "\"B\" 1";
        QTest::newRow("about, Z dropped") << "about"
                                          << "drop:Z"
                                          << "\"Z\"";
        QTest::newRow("about, C dropped") << "about"
                                          << "drop:C"
                                          << "\"C\" 0";
        QTest::newRow("firmware, unplugged") << "firmware"
                                             << "unplug-after:1"
                                             << "\"Z\"";
    }
    void aStalledOrVanishingDeviceEndsTheSequence() {
        QFETCH(QString, job);
        QFETCH(QString, fault);
        QFETCH(QString, step);
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        telvar.link.setDefaultReplyLimit(kShortLimit);
        FaultSet faults;
        QVERIFY(faults.add(fault).isEmpty());
        telvar.device().setFaults(faults);

        FakePrompter prompter;
        SettingsRead read(telvar.link);
        RateSave rate(telvar.link);
        AutoTune tune(telvar.link);
        SensitivitySave sensitivity(telvar.link);
        DeviceInformationRead about(telvar.link);
        MaintenanceCommands maintenance(telvar.link, prompter);
        QStringList statuses;
        for (DeviceSequence* sequence :
             std::initializer_list<DeviceSequence*>{&read, &rate, &tune, &sensitivity, &about, &maintenance})
            connect(sequence, &DeviceSequence::statusChanged, [&](const QString& text) { statuses << text; });
        SequenceOutcome outcome;
        if (job == QLatin1String("read"))
            outcome = QCoro::waitFor(read.run());
        else if (job == QLatin1String("rate"))
            outcome = QCoro::waitFor(rate.run(1000));
        else if (job == QLatin1String("tune"))
            outcome = QCoro::waitFor(tune.run(true));
        else if (job == QLatin1String("sensitivity"))
            outcome = QCoro::waitFor(sensitivity.run(5, 60));
        else if (job == QLatin1String("about"))
            outcome = QCoro::waitFor(about.run());
        else
            outcome = QCoro::waitFor(maintenance.firmwareVersion());

        QCOMPARE(outcome.status, SequenceOutcome::Status::Failed);
        QVERIFY2(outcome.message.contains(step), qPrintable(outcome.message));
        QCOMPARE(statuses.last(), outcome.message);
        QVERIFY(!telvar.link.sequenceRunning());
        QVERIFY(!tune.sampling());
        // The About text read so far says it is not all there is.
        if (job == QLatin1String("about"))
            QVERIFY2(about.text().endsWith(DeviceInformation::failureLine(outcome.message)),
                     qPrintable(about.text()));
    }

    void autoTuneSuggestsAndSavesOnTheDeviceItHolds() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setConfig(telvar.device(), {});
        QString error;
        telvar.device().setSensorScript(*SensorScript::parse(QStringLiteral("1200x100"), &error));
        AutoTune tune(telvar.link);
        QList<int> passes;
        QList<int> samples;
        std::optional<AutoTuneSuggestion> suggestion;
        int lastProgress = 0;
        connect(&tune, &AutoTune::sampleTaken, [&](int pass, int sample) {
            passes << pass;
            samples << sample;
        });
        connect(&tune, &AutoTune::suggested, [&](const AutoTuneSuggestion& made) { suggestion = made; });
        connect(&tune, &DeviceSequence::progressChanged, [&](int done, int) { lastProgress = done; });
        // Another job asking for the device between the run and its save is refused: the save follows at
        // once.
        connect(&tune, &AutoTune::saving, [&] { QVERIFY(!telvar.link.begin()); });

        QVERIFY(QCoro::waitFor(tune.run(true)).completed());
        QCOMPARE(passes.size(), AutoTuneTally::kPasses);
        QCOMPARE(passes.last(), AutoTuneTally::kPasses);
        QCOMPARE(samples, QList<int>(AutoTuneTally::kPasses, 1200));
        QCOMPARE(lastProgress, AutoTuneTally::kPasses);
        QCOMPARE(suggestion, (AutoTuneSuggestion{7, 50}));
        QCOMPARE(telvar.device().configByte(0), quint8(7));
        QCOMPARE(telvar.device().configByte(1), quint8(50));
        QCOMPARE(letters(telvar.sent), QByteArray(100, 'D') + "BBd");

        // Without "Set when Done" the device keeps its values.
        setConfig(telvar.device(), {});
        telvar.sent.clear();
        QVERIFY(QCoro::waitFor(tune.run(false)).completed());
        QCOMPARE(letters(telvar.sent), QByteArray(100, 'D'));
        QCOMPARE(telvar.device().configByte(0), DeviceState::factoryConfig()[0]);
    }

    void deviceInformationListsTheStoredValues() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        setConfig(telvar.device(), {{4, 200}});
        DeviceInformationRead about(telvar.link);
        int updates = 0;
        connect(&about, &DeviceInformationRead::textChanged, [&] { ++updates; });
        QVERIFY(QCoro::waitFor(about.run()).completed());
        const QString text = about.text();
        QVERIFY(text.startsWith(QStringLiteral("Firmware version: 1.23A 4-\r\nUse Firmware Updates for The "
                                               "Telvar X REV A: \r\n\r\n")));
        QVERIFY(text.contains(QStringLiteral("Speech Pitch     0200.0 Min 0  max 127 \r\n")));
        QCOMPARE(firstArguments(telvar.sentWith('C')), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(updates, 1 + 7 + 1);
    }
};

QTEST_GUILESS_MAIN(SettingsSequenceTest)
#include "SettingsSequenceTest.moc"
