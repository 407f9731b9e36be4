// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ModeCommand.h"

#include "device/DeviceStep.h"

namespace telvar {

QCoro::Task<SequenceOutcome> ModeCommand::run(char letter) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    device->clearDataread();
    const WaitResult result = co_await device->command(letter);
    if (!result.ok())
        co_return fail(QStringLiteral("Mode not changed: %1").arg(describeAt(result, deviceStep(letter))));
    co_return SequenceOutcome::done();
}

} // namespace telvar
