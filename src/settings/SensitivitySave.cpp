// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SensitivitySave.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "settings/Sensitivity.h"

namespace telvar {

namespace {
constexpr int kWriteSeconds = 1;
} // namespace

QCoro::Task<SequenceOutcome> SensitivitySave::run(int gain, int offset) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    QString step;
    const WaitResult result = co_await write(*device, gain, offset, step);
    if (!result.ok())
        co_return fail(failureText(step, result));
    co_return SequenceOutcome::done();
}

QCoro::Task<WaitResult> SensitivitySave::write(Sequence& device, int gain, int offset, QString& failedStep) {
    const auto writes = Sensitivity::writes(gain, offset);
    for (const ConfigurationBytes::Write& config : writes) {
        failedStep = deviceStep(Command::WriteConfig, config.address);
        device.clearDataread();
        WaitResult result = co_await device.command(Command::WriteConfig, static_cast<quint8>(config.address),
                                                    static_cast<quint8>(config.value));
        if (result.ok())
            result = co_await device.dtimer(kWriteSeconds);
        if (!result.ok())
            co_return result;
    }
    const auto stored = Sensitivity::storedArguments(offset);
    failedStep = deviceStep(Command::GainOffsetStored, stored[0]);
    device.clearDataread();
    co_return co_await device.command(Command::GainOffsetStored, stored[0], stored[1]);
}

QString SensitivitySave::failureText(const QString& step, const WaitResult& result) {
    return QStringLiteral("Sensitivity not saved at %1: %2").arg(step, describe(result));
}

} // namespace telvar
