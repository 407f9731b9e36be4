// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/ScreenAction.h"

#include "device/ExceptionText.h"
#include "device/ScreenHost.h"

namespace telvar {

QCoro::Task<> runReported(QCoro::Task<> action, std::function<void(const QString&)> report) {
    std::exception_ptr error;
    try {
        co_await std::move(action);
    } catch (...) {
        error = std::current_exception();
    }
    if (error)
        report(exceptionText(error));
}

void runScreenAction(ScreenHost& host, QCoro::Task<> action) {
    runReported(std::move(action), [&host](const QString& text) {
        host.setPleaseWaitProgress(0, 0);
        host.setPleaseWaitVisible(false);
        host.setStatus(QStringLiteral("The command stopped on an unexpected error: %1").arg(text));
    });
}

} // namespace telvar
