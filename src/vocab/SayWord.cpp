#include "vocab/SayWord.h"

#include "device/Commands.h"
#include "vocab/NumberText.h"

namespace telvar {

SayWord::SayWord(DeviceLink& link, QObject* parent) : DeviceSequence(link, parent) {}

QString SayWord::unitCommand(int index) {
    return QStringLiteral(" AA = %1").arg(index, 5, 10, QLatin1Char('0'));
}

void SayWord::sendUnitCharacter(quint8 code) {
    link().sendCommand(Command::UnitCommand, {code});
}

QCoro::Task<SequenceOutcome> SayWord::run(int index, bool sendToUnit) {
    auto guard = acquire();
    if (!guard)
        co_return SequenceOutcome::busy(busyText());
    Q_EMIT begun();
    const int address = 8 * index;
    DeviceLink& device = link();
    const WaitResult result = co_await link().requestAt(Command::SetAddress, address);
    if (result != WaitResult::Ok) {
        // Without the address acknowledged, "S" could speak whatever word the device pointed at before.
        const QString reason =
            QStringLiteral("Say Word%1 failed: %2").arg(numberText(index), describe(result));
        setStatus(reason);
        co_return SequenceOutcome::failed(reason);
    }
    device.sendCommand(Command::Speak);
    if (sendToUnit) {
        const QString command = unitCommand(index);
        setStatus(command);
        for (const QChar character : command)
            sendUnitCharacter(static_cast<quint8>(character.unicode()));
    }
    co_return SequenceOutcome::done();
}

} // namespace telvar
