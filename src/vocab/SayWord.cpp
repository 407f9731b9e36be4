// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/SayWord.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "vocab/NumberText.h"

namespace telvar {

SayWord::SayWord(DeviceLink& link, Numbering numbering, QObject* parent)
    : DeviceSequence(link, parent), m_numbering(numbering) {}

QString SayWord::unitCommand(int index) {
    return QStringLiteral(" AA = %1").arg(index, 5, 10, QLatin1Char('0'));
}

QCoro::Task<SequenceOutcome> SayWord::run(int index, bool sendToUnit) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    const int address = 8 * index;
    QString step = deviceStep(Command::SetAddress, address % 256, address / 256);
    WaitResult result = co_await device->requestAt(Command::SetAddress, address);
    // Without the address acknowledged, "S" could speak whatever word the device pointed at before.
    if (result.ok()) {
        step = deviceStep(Command::Speak);
        result = co_await device->command(Command::Speak);
    }
    if (result.ok() && sendToUnit) {
        const QString command = unitCommand(index);
        setStatus(command);
        for (const QChar character : command) {
            step = deviceStep(Command::UnitCommand, character.unicode());
            result = co_await device->command(Command::UnitCommand, static_cast<quint8>(character.unicode()));
            if (!result.ok())
                break;
        }
    }
    if (!result.ok()) {
        const int number = m_numbering == Numbering::FromOne ? index + 1 : index;
        co_return fail(
            QStringLiteral("Say Word%1 failed: %2").arg(numberText(number), describeAt(result, step)));
    }
    co_return SequenceOutcome::done();
}

} // namespace telvar
