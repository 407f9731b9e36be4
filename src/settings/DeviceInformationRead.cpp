// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/DeviceInformationRead.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "settings/DeviceInformation.h"

namespace telvar {

void DeviceInformationRead::append(const QString& part) {
    m_text += part;
    Q_EMIT textChanged(m_text);
}

SequenceOutcome DeviceInformationRead::stopped(const QString& reason) {
    // The lines read so far would pass for the whole text: the text itself must say it is not.
    append(DeviceInformation::failureLine(reason));
    return fail(reason);
}

QCoro::Task<SequenceOutcome> DeviceInformationRead::run() {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    const QString what = QStringLiteral("Device information not read at %1: %2");
    m_text.clear();
    WaitResult result = co_await device->request(Command::FirmwareVersion);
    if (!result.ok())
        co_return stopped(what.arg(deviceStep(Command::FirmwareVersion), describe(result)));
    append(DeviceInformation::header(ReplyReport(device->input())));
    for (int address = 0; address <= DeviceInformation::kLastAddress; ++address) {
        result = co_await device->request(Command::ReadConfig, static_cast<quint8>(address));
        if (!result.ok())
            co_return stopped(what.arg(deviceStep(Command::ReadConfig, address), describe(result)));
        append(DeviceInformation::valueLine(address, device->reply(2)));
    }
    append(DeviceInformation::notices());
    co_return SequenceOutcome::done();
}

} // namespace telvar
