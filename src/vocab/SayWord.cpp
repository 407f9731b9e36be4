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
    const WaitResult result = co_await link().requestAt(Command::SetAddress, 8 * index);
    // Without the address acknowledged, "S" could speak whatever word the device pointed at before.
    if (result != WaitResult::Ok)
        co_return fail(QStringLiteral("Say Word%1 failed: %2").arg(numberText(index), describe(result)));
    link().sendCommand(Command::Speak);
    if (sendToUnit) {
        const QString command = unitCommand(index);
        setStatus(command);
        for (const QChar character : command)
            sendUnitCharacter(static_cast<quint8>(character.unicode()));
    }
    co_return SequenceOutcome::done();
}

} // namespace telvar
