#include "app/OperatingModes.h"

#include "device/Commands.h"
#include "device/DeviceLink.h"
#include "vocab/NumberText.h"

namespace telvar::OperatingModes {

namespace {
// Not a coroutine: GCC 12 cannot take a braced argument list inside one.
QCoro::Task<WaitResult> writeConfig(DeviceLink& link, quint8 number, quint8 value) {
    return link.request(Command::WriteConfig, {number, value});
}
} // namespace

QCoro::Task<WaitResult> writeAvailability(DeviceLink& link, quint32 value,
                                          std::function<void(const QString&)> setStatus) {
    const quint8 low = lowByte(value);
    setStatus(QStringLiteral("send ") + numberText(low));
    if (const WaitResult result = co_await writeConfig(link, kLowConfigByte, low); result != WaitResult::Ok)
        co_return result;
    setStatus(QStringLiteral("send"));
    co_return co_await writeConfig(link, kHighConfigByte, highByte(value));
}

} // namespace telvar::OperatingModes
