// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/UnitTransfer.h"

#include "device/Commands.h"
#include "device/DeviceLink.h"
#include "device/DeviceStep.h"
#include "device/Prompter.h"
#include "device/Timings.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"
#include "vocab/NumberText.h"
#include "vocab/WordListFiles.h"

#include <algorithm>
#include <array>

namespace telvar {

namespace {
constexpr quint8 kBlankInPlaceOf200 = 32;
constexpr int kPercentBase = 2048;

QString secondsText(std::chrono::milliseconds period) {
    return QString::number(static_cast<double>(period.count()) / 1000.0);
}

QString heldText(int words) {
    if (words == 0)
        return QStringLiteral("the unit may hold none of the list");
    if (words == 1)
        return QStringLiteral("the unit may hold the first word of the list");
    return QStringLiteral("the unit may hold the first %1 words of the list").arg(words);
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
    // The unit sets the pace: a reply may take as long as the unit takes over a word, so the limit is
    // the unit's, or the link's when that is longer (--timeout). The device owes the reply it is working
    // on: a cancel waits for it, so that nothing is sent while the device still takes reports as
    // characters for the unit.
    const auto limit = std::max(deviceLink().defaultReplyLimit(), Timings::scaled(Timings::kUnitReplyLimit));
    device.clearDataread();
    WaitResult result = co_await device.command(Command::UnitTransfer);
    if (result.ok())
        result = co_await device.finishReply(limit);
    if (!result.ok())
        co_return co_await stopped(device, 0, {}, result, limit, 0);
    if (device.cancelRequested())
        co_return co_await stopped(device, 0, {}, WaitResult::Cancelled, limit, 0);
    const int total = static_cast<int>(words->size());
    Q_EMIT progressChanged(0, total);

    int otherReplies = 0;
    for (int counter = 1; counter <= total; ++counter) {
        const QByteArray field = wordField(words->at(counter - 1));
        setStatus(caption(field, counter));
        device.clearDataread();
        // A word's characters all go out, even after a cancel: a half-sent word would leave the device
        // waiting for the rest, taking the next commands as characters.
        for (const char byte : field) {
            const quint8 code =
                static_cast<quint8>(byte) == 200 ? kBlankInPlaceOf200 : static_cast<quint8>(byte);
            result = co_await device.data(std::array<quint8, 2>{code, code});
            if (!result.ok())
                break;
        }
        if (result.ok())
            result = co_await device.finishReply(limit);
        if (!result.ok())
            co_return co_await stopped(device, counter, field, result, limit, counter - 1);
        Q_EMIT progressChanged(counter, total);
        // Only the stop value means anything; whatever else the device answers, the unit took the word.
        const quint8 answer = device.reply(1);
        if (answer == kStopReply)
            break;
        if (answer != kMoreReply) {
            ++otherReplies;
            qCDebug(lcDevice).noquote()
                << "word" << counter << "answered" << answer
                << "- taken as more; replies neither 0 nor 199 so far:" << otherReplies;
        }
        if (device.cancelRequested() && counter < total)
            co_return co_await stopped(device, counter, field, WaitResult::Cancelled, limit, counter);
    }
    setStatus(QStringLiteral("Upload complete"));
    // The program sends no end marker: the device leaves transfer mode by itself, and is left alone until
    // it surely has.
    co_await device.settle(Timings::kUnitModeEnd);
    co_return SequenceOutcome::done();
}

QCoro::Task<SequenceOutcome> UnitTransfer::stopped(Sequence& device, int counter, QByteArray field,
                                                   WaitResult result, std::chrono::milliseconds limit,
                                                   int held) {
    const QString where = counter == 0 ? QStringLiteral("Word list not sent")
                                       : QStringLiteral("Word list transfer stopped at word %1")
                                             .arg(wordName(counter - 1, cp1252::decode(field).trimmed()));
    const QString step = counter == 0 ? deviceStep(Command::UnitTransfer) : QStringLiteral("this word");
    QString reason;
    switch (result.kind()) {
    case WaitResult::TimedOut:
        // The device may still be waiting for the unit, taking every report as a character.
        reason = QStringLiteral("no reply to %1 within %2 s: the unit stopped answering; %3; unplug the "
                                "Telvar X and plug it in again before sending it anything else")
                     .arg(step, secondsText(limit), heldText(held));
        break;
    case WaitResult::Cancelled:
        reason = QStringLiteral("cancelled; %1").arg(heldText(held));
        break;
    default:
        reason = QStringLiteral("%1; %2").arg(describeAt(result, step), heldText(held));
        break;
    }
    const QString message = QStringLiteral("%1: %2").arg(where, reason);
    setStatus(message);
    // Characters sent before the device has left transfer mode would still go to the unit.
    co_await device.settle(Timings::kUnitModeEnd);
    co_return fail(message);
}

} // namespace telvar
