#include "vocab/UnitTransfer.h"

#include "device/Prompter.h"
#include "device/Commands.h"
#include "device/Timings.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"
#include "vocab/NumberText.h"
#include "vocab/WordListFiles.h"

#include <array>

namespace telvar {

namespace {
constexpr quint8 kBlankInPlaceOf200 = 32;
constexpr int kPercentBase = 2048;
} // namespace

UnitTransfer::UnitTransfer(DeviceLink& link, Prompter& prompter, QString dataDir, QObject* parent)
    : DeviceSequence(link, parent), m_prompter(prompter), m_dataDir(std::move(dataDir)) {}

QString UnitTransfer::confirmationText() {
    return QStringLiteral(
        "This will Transfer the Word List to the RLD or MVR Transfer will take 30-45 minutes "
        "Continue ? Make sure the RLD is connected and running See Manual for help ");
}

QByteArray UnitTransfer::wordField(const QByteArray& word) {
    return word.left(kFieldLength).leftJustified(kFieldLength, ' ');
}

QString UnitTransfer::caption(const QByteArray& field, int counter) {
    return QStringLiteral("Curent Word ") + cp1252::decode(field) + QStringLiteral(" Word # ") +
           numberText(counter) + QStringLiteral(" Precent Complete ") +
           numberText(counter * 100 / kPercentBase);
}

QCoro::Task<SequenceOutcome> UnitTransfer::run() {
    if (!co_await m_prompter.askYesNo(confirmationText()))
        co_return SequenceOutcome::declined();
    // The whole file is read before the unit is told anything, so a missing file sends nothing.
    QString error;
    const auto words = LineFile::read(WordListFiles(m_dataDir).path(WordListFiles::kMainWords), &error);
    if (!words)
        co_return fail(QStringLiteral("Word list not sent: %1").arg(error));
    auto sequence = acquire();
    if (!sequence)
        co_return busy();
    Sequence& device = *sequence;

    Q_EMIT begun();
    setStatus(QStringLiteral("Upload Start"));
    WaitResult result = co_await device.request(Command::UnitTransfer);
    const int total = static_cast<int>(words->size());
    Q_EMIT progressChanged(0, total);

    int counter = 0;
    while (result.ok() && counter < total) {
        const QByteArray field = wordField(words->at(counter));
        ++counter;
        setStatus(caption(field, counter));
        device.clearDataread();
        for (const char byte : field) {
            const quint8 code =
                static_cast<quint8>(byte) == 200 ? kBlankInPlaceOf200 : static_cast<quint8>(byte);
            result = co_await device.data(std::array<quint8, 2>{code, code});
            if (!result.ok())
                break;
        }
        if (result.ok())
            result = co_await device.waitReply(Timings::kUnitWordReplyLimit);
        Q_EMIT progressChanged(counter, total);
        if (result.ok() && device.reply(1) == kStopReply)
            break;
    }

    if (!result.ok()) {
        co_return fail(counter == 0 ? QStringLiteral("Word list not sent: %1").arg(describe(result))
                                    : QStringLiteral("Word list transfer stopped at word #%1: %2")
                                          .arg(numberText(counter), describe(result)));
    }
    setStatus(QStringLiteral("Upload complete"));
    co_return SequenceOutcome::done();
}

} // namespace telvar
