// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/VoiceSequence.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "device/Timings.h"

namespace telvar {

namespace {
const QString kSending = QStringLiteral("send");
} // namespace

QCoro::Task<WaitResult> VoiceSequence::play(Sequence& device, VoiceSettings voice, QString& failedStep) {
    const QByteArray bytes = Voice::chipBytes(voice);
    for (const char byte : bytes) {
        const auto value = static_cast<quint8>(byte);
        failedStep = deviceStep(Command::SpeechByte, value);
        const WaitResult result = co_await device.command(Command::SpeechByte, value);
        if (!result.ok())
            co_return result;
    }
    for (const int step : Voice::kTestSteps) {
        failedStep = deviceStep(Command::VoiceTest, step);
        const WaitResult result = co_await device.command(Command::VoiceTest, static_cast<quint8>(step));
        if (!result.ok())
            co_return result;
    }
    co_return WaitResult::Ok;
}

SequenceOutcome VoiceSequence::stopped(const QString& what, const QString& step, const WaitResult& result) {
    return fail(QStringLiteral("%1 at %2: %3").arg(what, step, describe(result)));
}

QCoro::Task<SequenceOutcome> VoiceSequence::test(VoiceSettings voice) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    QString step;
    const WaitResult result = co_await play(*device, voice, step);
    if (!result.ok())
        co_return stopped(QStringLiteral("Voice not played"), step, result);
    co_return SequenceOutcome::done();
}

QCoro::Task<SequenceOutcome> VoiceSequence::save(VoiceSettings voice) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    setStatus(kSending);
    const auto writes = Voice::writes(voice);
    for (const ConfigurationBytes::Write& config : writes) {
        device->clearDataread();
        WaitResult result = co_await device->command(
            Command::WriteConfig, static_cast<quint8>(config.address), static_cast<quint8>(config.value));
        if (result.ok()) {
            device->setPausePeriod(Timings::kSettingsPause);
            result = co_await device->hold();
            // The last byte is on the device before the pause after it: the voice is saved all the same.
            if (&config == &writes.back())
                result = WaitResult::Ok;
        }
        if (!result.ok())
            co_return stopped(QStringLiteral("Voice not saved"),
                              deviceStep(Command::WriteConfig, config.address), result);
    }
    co_return SequenceOutcome::done();
}

QCoro::Task<SequenceOutcome> VoiceSequence::restoreDefault() {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    setStatus(kSending);
    const QString what = QStringLiteral("Default voice not restored");
    const auto writes = Voice::writes(Voice::kDefault);
    for (std::size_t index = 0; index < writes.size(); ++index) {
        const ConfigurationBytes::Write& config = writes[index];
        device->clearDataread();
        WaitResult result = co_await device->command(
            Command::WriteConfig, static_cast<quint8>(config.address), static_cast<quint8>(config.value));
        device->setPausePeriod(Timings::kSettingsPause);
        if (result.ok() && index + 1 < writes.size())
            result = co_await device->hold();
        if (!result.ok())
            co_return stopped(what, deviceStep(Command::WriteConfig, config.address), result);
    }
    QString step;
    const WaitResult played = co_await play(*device, Voice::kDefault, step);
    if (!played.ok())
        co_return stopped(what, step, played);
    co_return SequenceOutcome::done();
}

} // namespace telvar
