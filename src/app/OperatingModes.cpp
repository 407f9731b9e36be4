#include "app/OperatingModes.h"

#include "device/Commands.h"
#include "device/DeviceLink.h"
#include "vocab/NumberText.h"

namespace telvar::OperatingModes {

QCoro::Task<WaitResult> writeAvailability(DeviceLink& link, quint32 value,
                                          std::function<void(const QString&)> setStatus) {
    const quint8 low = lowByte(value);
    setStatus(QStringLiteral("send ") + numberText(low));
    if (const WaitResult result = co_await link.request(Command::WriteConfig, kLowConfigByte, low); result != WaitResult::Ok)
        co_return result;
    setStatus(QStringLiteral("send"));
    co_return co_await link.request(Command::WriteConfig, kHighConfigByte, highByte(value));
}

} // namespace telvar::OperatingModes
