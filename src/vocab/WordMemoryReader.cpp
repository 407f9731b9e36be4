// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/WordMemoryReader.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"
#include "device/Spinner.h"
#include "vocab/NumberText.h"
#include "vocab/Vocabulary.h"
#include "vocab/WordMemoryEntry.h"

#include <algorithm>

namespace telvar {

namespace {
constexpr quint8 kCountLowByte = 6;
constexpr quint8 kCountHighByte = 7;
} // namespace

WordMemoryReader::WordMemoryReader(DeviceLink& link, const Vocabulary& vocabulary, Spinner& spinner,
                                   QObject* parent)
    : DeviceSequence(link, parent), m_vocabulary(vocabulary), m_spinner(spinner) {}

QCoro::Task<WaitResult> WordMemoryReader::readEntry(Sequence& device, int entry,
                                                    std::optional<QString>& word) {
    const WaitResult result = co_await device.requestAt(Command::ReadMemory, 16 * entry);
    if (result != WaitResult::Ok)
        co_return result;
    const QStringList& list3 = m_vocabulary.list3();
    if (const std::optional<int> index =
            WordMemoryEntry::itemIndex(device.reply(1), device.reply(2), list3.size())) {
        word = list3.at(*index);
        Q_EMIT wordSelected(*index);
    }
    co_return result;
}

SequenceOutcome WordMemoryReader::stopped(int entry, WaitResult result) {
    Q_EMIT interrupted(describe(result));
    return fail(
        QStringLiteral("Reading stopped at entry%1: %2").arg(numberText(entry + 1), describe(result)));
}

SequenceOutcome WordMemoryReader::countNotRead(quint8 configByte, WaitResult result) {
    Q_EMIT interrupted(describe(result));
    return fail(QStringLiteral("Reading stopped: %1")
                    .arg(describeAt(result, deviceStep(Command::ReadConfig, configByte))));
}

QCoro::Task<SequenceOutcome> WordMemoryReader::readWordsSpoken() {
    auto sequence = acquire();
    if (!sequence)
        co_return busy();
    Q_EMIT begun();
    Sequence& device = *sequence;

    WaitResult result = co_await device.request(Command::ReadConfig, kCountLowByte);
    if (result != WaitResult::Ok)
        co_return countNotRead(kCountLowByte, result);
    const int low = device.reply(2);
    result = co_await device.request(Command::ReadConfig, kCountHighByte);
    if (result != WaitResult::Ok)
        co_return countNotRead(kCountHighByte, result);
    const int count = low + 256 * device.reply(2);
    Q_EMIT lineAdded(numberText(count + 1) + QStringLiteral(" number of words"));

    const int first = std::min(count, kLastAddressableEntry);
    const int total = first + 1;
    Q_EMIT progressChanged(0, total);
    for (int entry = first; entry >= 0; --entry) {
        std::optional<QString> word;
        result = co_await readEntry(device, entry, word);
        if (result != WaitResult::Ok)
            co_return stopped(entry, result);
        Q_EMIT lineAdded(numberText(entry + 1) + QStringLiteral(" : ") +
                         word.value_or(QStringLiteral(" Nothing to read")));
        Q_EMIT progressChanged(total - entry, total);
        // A cancel during the pause after the last entry stops nothing: every entry has been read.
        result = co_await device.hold();
        if (result != WaitResult::Ok && entry > 0)
            co_return stopped(entry - 1, result);
    }
    co_return SequenceOutcome::done();
}

QCoro::Task<SequenceOutcome> WordMemoryReader::readAllWords() {
    auto sequence = acquire();
    if (!sequence)
        co_return busy();
    Q_EMIT begun();
    Sequence& device = *sequence;
    Q_EMIT lineAdded(QStringLiteral(" Reading 500 stored words"));
    Q_EMIT progressChanged(0, kMemoryEntries);
    for (int entry = kMemoryEntries - 1; entry >= 0; --entry) {
        std::optional<QString> word;
        const WaitResult result = co_await readEntry(device, entry, word);
        if (result != WaitResult::Ok)
            co_return stopped(entry, result);
        if (word && !word->isEmpty())
            Q_EMIT lineAdded(numberText(entry + 1) + QStringLiteral(" : ") + *word);
        m_spinner.twizzer();
        setStatus(QStringLiteral("Reading Memeory ") + m_spinner.text());
        Q_EMIT progressChanged(kMemoryEntries - entry, kMemoryEntries);
    }
    setStatus(QStringLiteral(" Complete "));
    co_return SequenceOutcome::done();
}

} // namespace telvar
