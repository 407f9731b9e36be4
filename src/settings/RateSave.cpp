// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/RateSave.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "settings/EnergyRate.h"

namespace telvar {

QCoro::Task<SequenceOutcome> RateSave::run(int rate) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    const auto writes = EnergyRate::writes(rate);
    for (const ConfigurationBytes::Write& config : writes) {
        setStatus(QStringLiteral("send"));
        const WaitResult result = co_await device->request(
            Command::WriteConfig, static_cast<quint8>(config.address), static_cast<quint8>(config.value));
        if (!result.ok())
            co_return fail(QStringLiteral("Rate not saved at %1: %2")
                               .arg(deviceStep(Command::WriteConfig, config.address), describe(result)));
    }
    co_return SequenceOutcome::done();
}

} // namespace telvar
