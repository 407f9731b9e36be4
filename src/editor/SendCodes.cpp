// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/SendCodes.h"

#include "device/Commands.h"
#include "editor/PhoneticCodes.h"

#include <array>

namespace telvar {

QCoro::Task<SequenceOutcome> SendCodes::run(QByteArray codes) {
    const QByteArray spoken = withoutBlanks(codes).toByteArray();
    auto device = acquire();
    if (!device)
        co_return busy();
    Q_EMIT begun();
    for (qsizetype sent = 0; sent < spoken.size(); ++sent) {
        // Quitting (or SIGINT) stops a phrase between codes: the device owes nothing to finish it.
        WaitResult result = WaitResult::Cancelled;
        if (!device->cancelRequested()) {
            const std::array<quint8, 8> report{static_cast<quint8>(Command::SpeechByte),
                                               static_cast<quint8>(spoken.at(sent))};
            result = co_await device->data(report);
        }
        if (result.ok())
            continue;
        if (sent == 0)
            co_return fail(QStringLiteral("Nothing spoken: %1").arg(describe(result)));
        co_return fail(QStringLiteral("Speaking stopped after %1 of %2 codes: %3")
                           .arg(sent)
                           .arg(spoken.size())
                           .arg(describe(result)));
    }
    co_return SequenceOutcome::done();
}

} // namespace telvar
