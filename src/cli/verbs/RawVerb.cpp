// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "cli/verbs/ByteArguments.h"
#include "device/DeviceLink.h"
#include "device/DeviceStep.h"

#include <array>
#include <span>

namespace telvar::cli {

Verb rawVerb() {
    return {
        QStringLiteral("raw"),
        QStringLiteral("send one raw command report"),
        QStringLiteral("Usage: telvarctl raw LETTER [BYTE...] [--reply]\n"
                       "Sends one report: 0, the code of LETTER (one character, case matters), then the\n"
                       "BYTEs (0-255, at most seven). With --reply it waits for the device's reply and\n"
                       "prints its bytes 0-8 as nine decimal numbers on one line.\n"
                       "Example: telvarctl raw C 0 --reply   (byte 2 of the reply is the gain)\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("raw");
            const bool awaitReply = arguments.removeAll(QStringLiteral("--reply")) > 0;
            if (arguments.isEmpty() || arguments.first().size() != 1 ||
                arguments.first().at(0).unicode() > 127)
                co_return context.usageError(verb, QStringLiteral("give the command as one ASCII character"));
            const char letter = static_cast<char>(arguments.takeFirst().at(0).unicode());
            for (const QString& word : std::as_const(arguments)) {
                // "-5" is a number out of range, "--frobnicate" an option that does not exist.
                if (word.size() > 1 && word.startsWith(u'-') && !word.at(1).isDigit())
                    co_return context.usageError(verb, QStringLiteral("unknown option %1").arg(word));
            }
            QString bad;
            const auto bytes = parseBytes(arguments, &bad);
            if (!bytes)
                co_return context.usageError(verb, QStringLiteral("%1 is not a byte from 0 to 255").arg(bad));
            if (bytes->size() > 7)
                co_return context.usageError(verb, QStringLiteral("at most seven bytes follow the letter"));

            if (!co_await context.connectDevice())
                co_return kExitFailure;
            std::optional<Sequence> device =
                context.link().begin(DeviceLink::Role::Job, QStringLiteral("a raw command"));
            if (!device)
                co_return context.fail(DeviceLink::busyText());
            std::array<quint8, 8> data{static_cast<quint8>(letter)};
            std::copy(bytes->begin(), bytes->end(), data.begin() + 1);
            device->clearDataread();
            WaitResult result =
                co_await device->data(std::span<const quint8>(data.data(), 1 + bytes->size()));
            if (result.ok() && awaitReply)
                result = co_await device->waitReply();
            if (!result.ok()) {
                QString step = deviceStep(letter);
                for (const quint8 byte : *bytes)
                    step += QStringLiteral(" %1").arg(byte);
                co_return context.fail(describeAt(result, step));
            }
            if (!awaitReply)
                co_return kExitOk;
            QStringList numbers;
            for (const quint8 byte : device->input())
                numbers << QString::number(byte);
            context.out() << numbers.join(QLatin1Char(' ')) << Qt::endl;
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
