#include "settings/AvailabilityWrite.h"

#include "device/Commands.h"
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
    WaitResult result = co_await device->request(Command::WriteConfig, OperatingModes::kLowConfigByte, low);
    if (result.ok()) {
        setStatus(QStringLiteral("send"));
        result = co_await device->request(Command::WriteConfig, OperatingModes::kHighConfigByte,
                                          OperatingModes::highByte(value));
    }
    if (!result.ok())
        co_return fail(QStringLiteral("Modes not saved: %1").arg(describe(result)));
    co_return SequenceOutcome::done();
}

} // namespace telvar
