// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AvailabilityWrite.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "settings/OperatingModes.h"
#include "vocab/NumberText.h"

namespace telvar {

QCoro::Task<SequenceOutcome> AvailabilityWrite::run(quint32 value) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    const quint8 low = OperatingModes::lowByte(value);
    setStatus(QStringLiteral("send ") + numberText(low));
    const QString lowStep = deviceStep(Command::WriteConfig, OperatingModes::kLowConfigByte);
    WaitResult result = co_await device->request(Command::WriteConfig, OperatingModes::kLowConfigByte, low);
    if (!result.ok())
        co_return fail(QStringLiteral("Modes not saved: %1").arg(describeAt(result, lowStep)));
    setStatus(QStringLiteral("send"));
    const QString highStep = deviceStep(Command::WriteConfig, OperatingModes::kHighConfigByte);
    result = co_await device->request(Command::WriteConfig, OperatingModes::kHighConfigByte,
                                      OperatingModes::highByte(value));
    // The device holds the new low byte with the old high one: the user must know the write was half done.
    if (!result.ok())
        co_return fail(QStringLiteral("Modes only partly saved: %1 was written, then %2")
                           .arg(lowStep, describeAt(result, highStep)));
    co_return SequenceOutcome::done();
}

} // namespace telvar
