// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/InterruptSignals.h"

#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace telvar::cli {

namespace {
std::atomic<int> g_received{0};
#ifdef Q_OS_UNIX
int g_pipe[2] = {-1, -1};
#endif

extern "C" void onSignal(int number) {
    int expected = 0;
    g_received.compare_exchange_strong(expected, number);
#ifdef Q_OS_UNIX
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
#endif
}
} // namespace

#ifdef Q_OS_UNIX
// A pipe the handler writes to, so that the event loop hears of the signal without polling.
struct InterruptSignals::Watch {
    std::unique_ptr<QSocketNotifier> notifier;
};

InterruptSignals::InterruptSignals(QObject* parent) : QObject(parent), m_watch(std::make_unique<Watch>()) {
    if (::pipe(g_pipe) != 0)
        return;
    for (const int fd : g_pipe)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_watch->notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_watch->notifier.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1)
            Q_EMIT interrupted(byte);
    });
    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a read waiting for a confirmation returns at once
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

InterruptSignals::~InterruptSignals() {
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    m_watch->notifier.reset();
    for (int& fd : g_pipe) {
        ::close(fd);
        fd = -1;
    }
}
#else
// Elsewhere the handler only sets the flag, and the event loop looks at it now and then.
struct InterruptSignals::Watch {
    QTimer timer;
    int seen = 0;
};

InterruptSignals::InterruptSignals(QObject* parent) : QObject(parent), m_watch(std::make_unique<Watch>()) {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    connect(&m_watch->timer, &QTimer::timeout, this, [this] {
        if (const int number = g_received.load(); number != 0 && m_watch->seen == 0) {
            m_watch->seen = number;
            Q_EMIT interrupted(number);
        }
    });
    m_watch->timer.start(50);
}

InterruptSignals::~InterruptSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}
#endif

int InterruptSignals::received() {
    return g_received.load();
}

} // namespace telvar::cli
