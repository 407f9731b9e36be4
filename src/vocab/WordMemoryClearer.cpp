// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/WordMemoryClearer.h"

#include "device/Commands.h"
#include "device/DeviceStep.h"

#include <array>

namespace telvar {

namespace {
// The spoken-word count, low byte first.
constexpr std::array<quint8, 2> kCountBytes{6, 7};
} // namespace

WordMemoryClearer::WordMemoryClearer(DeviceLink& link, QObject* parent) : DeviceSequence(link, parent) {}

SequenceOutcome WordMemoryClearer::stopped(const QString& what, WaitResult result, const QString& step) {
    return fail(QStringLiteral("%1 failed: %2").arg(what, describeAt(result, step)));
}

QCoro::Task<SequenceOutcome> WordMemoryClearer::clearLastWord() {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    for (const quint8 configByte : kCountBytes) {
        setStatus(QStringLiteral("send"));
        const WaitResult result = co_await device->request(Command::WriteConfig, configByte, 0);
        if (result != WaitResult::Ok)
            co_return stopped(QStringLiteral("Clearing the word count"), result,
                              deviceStep(Command::WriteConfig, configByte));
    }
    co_return SequenceOutcome::done();
}

QCoro::Task<SequenceOutcome> WordMemoryClearer::clearStoredMemory() {
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    setStatus(QStringLiteral("Clearing Memory please wait"));
    const WaitResult result = co_await device->request(Command::ClearMemory);
    if (result != WaitResult::Ok)
        co_return stopped(QStringLiteral("Clearing the memory"), result, deviceStep(Command::ClearMemory));
    setStatus(QStringLiteral("Memory Clear"));
    co_return SequenceOutcome::done();
}

} // namespace telvar
