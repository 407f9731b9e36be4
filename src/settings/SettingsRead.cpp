// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsRead.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"

namespace telvar {

QCoro::Task<SequenceOutcome> SettingsRead::run(int first, int last) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    SettingsReadout readout;
    for (int address = first; address <= last; ++address) {
        const WaitResult result = co_await device->request(Command::ReadConfig, static_cast<quint8>(address));
        if (!result.ok())
            co_return fail(QStringLiteral("Settings not read at %1: %2")
                               .arg(deviceStep(Command::ReadConfig, address), describe(result)));
        const quint8 value = device->reply(2);
        Q_EMIT byteRead(address, value);
        if (const std::optional<SliderValue> read = readout.take(address, value))
            Q_EMIT valueRead(*read);
    }
    co_return SequenceOutcome::done();
}

} // namespace telvar
