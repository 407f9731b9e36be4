#include "vocab/SayWord.h"

#include "device/Commands.h"
#include "vocab/NumberText.h"

namespace telvar {

SayWord::SayWord(DeviceLink& link, QObject* parent) : DeviceSequence(link, parent) {}

QString SayWord::unitCommand(int index) {
    return QStringLiteral(" AA = %1").arg(index, 5, 10, QLatin1Char('0'));
}

QCoro::Task<SequenceOutcome> SayWord::run(int index, bool sendToUnit) {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    WaitResult result = co_await device->requestAt(Command::SetAddress, 8 * index);
    // Without the address acknowledged, "S" could speak whatever word the device pointed at before.
    if (result.ok())
        result = co_await device->command(Command::Speak);
    if (result.ok() && sendToUnit) {
        const QString command = unitCommand(index);
        setStatus(command);
        for (const QChar character : command) {
            result = co_await device->command(Command::UnitCommand, static_cast<quint8>(character.unicode()));
            if (!result.ok())
                break;
        }
    }
    if (!result.ok())
        co_return fail(QStringLiteral("Say Word%1 failed: %2").arg(numberText(index), describe(result)));
    co_return SequenceOutcome::done();
}

} // namespace telvar
