// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/WordListUpload.h"

#include "device/Commands.h"
#include "device/Prompter.h"
#include "device/Spinner.h"
#include "device/Timings.h"
#include "vocab/NumberText.h"
#include "vocab/Vocabulary.h"

#include <vector>

namespace telvar {

WordListUpload::WordListUpload(DeviceLink& link, const Vocabulary& vocabulary, Prompter& prompter,
                               Spinner& spinner, QObject* parent)
    : DeviceSequence(link, parent), m_vocabulary(vocabulary), m_prompter(prompter), m_spinner(spinner) {}

QString WordListUpload::confirmationText(qsizetype words) {
    QString text = QStringLiteral(
        "This will Transfer the Word List to the Telvar X transfer will take 5 minutes Continue ?");
    if (words < kSpokenWords) {
        const QString held = words == 0   ? QStringLiteral("no words")
                             : words == 1 ? QStringLiteral("only 1 word")
                                          : QStringLiteral("only %1 words").arg(words);
        // Numbered as the Word List screen's number box numbers them, from 1.
        text += QStringLiteral("\n\nThis word list has %1: words #%2 to #%3 on the Telvar X will be erased.")
                    .arg(held)
                    .arg(words + 1)
                    .arg(kRows);
    }
    return text;
}

std::array<quint8, WordListUpload::kBytesPerRow>
WordListUpload::rowBytes(const qint16* row, const std::array<quint8, 11>& output) {
    std::array<quint8, kBytesPerRow> bytes{};
    for (int j = 0; j < kBytesPerRow; ++j) {
        const qint16 value = row[j];
        bytes[j] = value >= 0 && value <= 255 ? static_cast<quint8>(value) : output[1 + j];
    }
    return bytes;
}

QString WordListUpload::stopText(const QString& word, bool rowLoaded, const QString& reason) {
    // The row whose data went out is on the device, whether or not its "W" was answered in time.
    const QString where = rowLoaded ? QStringLiteral("after") : QStringLiteral("at");
    return QStringLiteral("Upload stopped %1 word %2: %3").arg(where, word, reason);
}

QString WordListUpload::loadedText(int loaded) {
    // Numbered as the Word List screen's number box numbers them, from 1.
    if (loaded == 0)
        return QStringLiteral("No word is loaded, the device's words are as they were");
    if (loaded == 1)
        return QStringLiteral("Word #1 is loaded, the rest are as they were");
    return QStringLiteral("Words #1 to #%1 are loaded, the rest are as they were").arg(loaded);
}

QCoro::Task<SequenceOutcome> WordListUpload::run() {
    if (!co_await m_prompter.askYesNo(confirmationText(m_vocabulary.list1().size())))
        co_return SequenceOutcome::declined();
    auto sequence = acquire();
    if (!sequence)
        co_return busy();
    Sequence& device = *sequence;

    // The rows are taken as they stand now: a "Transfer Edits" during the upload must not mix two tables.
    const auto& table = m_vocabulary.codes();
    const std::vector<qint16> codes(table.begin(), table.begin() + kRows * Vocabulary::kRowLength);

    Q_EMIT begun();
    Q_EMIT progressChanged(0, kRows);
    device.clearDataread();
    // The device answers "A", but the upload has always paused here instead of waiting for it; the next
    // "W" clears the stale reply before it is sent.
    WaitResult result = co_await device.command(Command::SetAddress, 0, 0);
    device.setPausePeriod(Timings::kUploadAddressPause);
    if (result.ok())
        result = co_await device.hold();

    int row = 0;
    int loaded = 0; // rows whose data report went out: the device holds words 0 to loaded - 1
    for (; result.ok() && row < kRows; ++row) {
        result = co_await device.request(Command::WriteMemory);
        // A "W" that reached the device waits for its data report, even when its reply is late or the
        // user cancelled: complete it, or the device would take the next command as word data.
        if (result == WaitResult::Ok || result == WaitResult::TimedOut || result == WaitResult::Cancelled) {
            const auto bytes = rowBytes(codes.data() + row * Vocabulary::kRowLength, device.output());
            if (const WaitResult written = co_await device.data(bytes); written.ok())
                loaded = row + 1;
            else
                result = written;
        }
        if (!result.ok())
            break;
        device.setPausePeriod(Timings::kUploadRowPause);
        result = co_await device.hold();
        if (!result.ok())
            break;
        m_spinner.twizzer();
        setStatus(QStringLiteral("Loading ") + m_spinner.text() + numberText(row));
        Q_EMIT progressChanged(row + 1, kRows);
    }

    // Once the last data report is out the whole table is on the device, however the wait for its "W" or
    // the pause after it ended.
    if (loaded < kRows) {
        const QString reason =
            stopText(wordName(row, m_vocabulary.list3().value(row).trimmed()), loaded > row, describe(result));
        reportFailure(reason);
        co_return SequenceOutcome::failed(reason + QStringLiteral(".\n") + loadedText(loaded) +
                                          QStringLiteral(": run Re-Load Word List again to load them all."));
    }
    setStatus(QStringLiteral("Upload Complete"));
    co_return SequenceOutcome::done();
}

} // namespace telvar
