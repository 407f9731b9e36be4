// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/UnitTransfer.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "device/Prompter.h"
#include "device/Timings.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"
#include "vocab/NumberText.h"
#include "vocab/WordListFiles.h"

#include <QElapsedTimer>

#include <array>

namespace telvar {

namespace {
constexpr quint8 kBlankInPlaceOf200 = 32;
constexpr int kPercentBase = 2048;

QString lateText(const QString& step) {
    return QStringLiteral("the reply to %1 came after the device's idle second, so the device has left "
                          "transfer mode")
        .arg(step);
}
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
    const WordListFiles files(m_dataDir);
    std::optional<QList<QByteArray>> words;
    if (files.settlePair(WordListFiles::kMainWords, WordListFiles::kMainCodes, &error))
        words = LineFile::read(files.path(WordListFiles::kMainWords), &error);
    if (!words)
        co_return fail(QStringLiteral("Word list not sent: %1").arg(error));
    auto sequence = acquire();
    if (!sequence)
        co_return busy();
    Sequence& device = *sequence;

    Q_EMIT begun();
    setStatus(QStringLiteral("Upload Start"));
    // The device counts its idle second from the last report it took. This clock restarts just before
    // each report leaves, so it never runs behind the device's; a tenth of the second is kept in hand
    // for the next report's way to the device.
    const auto idle = Timings::scaled(Timings::kUnitIdle);
    const auto latest = idle - idle / 10;
    QElapsedTimer sinceReport;
    sinceReport.start();
    WaitResult result = co_await device.request(Command::UnitTransfer);
    if (!result.ok())
        co_return co_await stopped(device, 0, {}, describeAt(result, deviceStep(Command::UnitTransfer)));
    const int total = static_cast<int>(words->size());
    if (total > 0 && sinceReport.elapsed() > latest.count())
        co_return co_await stopped(device, 0, {}, lateText(deviceStep(Command::UnitTransfer)));
    Q_EMIT progressChanged(0, total);

    for (int counter = 1; counter <= total; ++counter) {
        const QByteArray field = wordField(words->at(counter - 1));
        setStatus(caption(field, counter));
        device.clearDataread();
        for (const char byte : field) {
            const quint8 code =
                static_cast<quint8>(byte) == 200 ? kBlankInPlaceOf200 : static_cast<quint8>(byte);
            sinceReport.restart();
            result = co_await device.data(std::array<quint8, 2>{code, code});
            if (!result.ok())
                break;
        }
        if (result.ok())
            result = co_await device.waitReply(Timings::kUnitWordReplyLimit);
        if (!result.ok())
            co_return co_await stopped(device, counter, field, describe(result));
        Q_EMIT progressChanged(counter, total);
        const quint8 answer = device.reply(1);
        if (answer == kStopReply) {
            setStatus(QStringLiteral("Upload complete"));
            co_return SequenceOutcome::done();
        }
        if (answer != kMoreReply)
            co_return co_await stopped(device, counter, field,
                                       QStringLiteral("the device answered %1 instead of %2 or %3")
                                           .arg(answer)
                                           .arg(kMoreReply)
                                           .arg(kStopReply));
        if (counter < total && sinceReport.elapsed() > latest.count())
            co_return co_await stopped(device, counter, field, lateText(QStringLiteral("this word")));
    }
    setStatus(QStringLiteral("Upload complete"));
    // Only the unit's stop reply ends transfer mode at once; after the last word of the file the device
    // still takes reports as characters until its idle second has passed.
    co_await device.settle(Timings::kUnitIdle);
    co_return SequenceOutcome::done();
}

QCoro::Task<SequenceOutcome> UnitTransfer::stopped(Sequence& device, int counter, QByteArray field,
                                                   QString reason) {
    const QString where = counter == 0 ? QStringLiteral("Word list not sent")
                                       : QStringLiteral("Word list transfer stopped at word %1")
                                             .arg(wordName(counter - 1, cp1252::decode(field).trimmed()));
    const QString message = QStringLiteral("%1: %2; the unit may hold a partial list").arg(where, reason);
    setStatus(message);
    // Characters sent before the device has left transfer mode would still go to the unit, and commands
    // sent while a half word is pending would be taken as characters.
    co_await device.settle(Timings::kUnitIdle);
    co_return fail(message);
}

} // namespace telvar
