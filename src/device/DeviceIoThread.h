// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFuture>
#include <QObject>
#include <QPromise>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace telvar {

// Runs device calls that may block (enumerating, opening, writing) on a thread of its own, one after the
// other in the order they were asked for, so that a slow or stuck device never stalls the receiver's
// thread. A call stuck in the kernel must not hang the program when it quits either: the destructor waits
// a moment for the thread, then leaves it to finish alone with the state it shares.
class DeviceIoThread {
public:
    static constexpr std::chrono::milliseconds kStopWait{500};

    // Results of `run` are handed to `receiver` on its thread; it must outlive this object.
    explicit DeviceIoThread(QObject* receiver);
    DeviceIoThread(const DeviceIoThread&) = delete;
    DeviceIoThread& operator=(const DeviceIoThread&) = delete;
    // Calls not started by now are dropped; no result reaches the receiver any more.
    ~DeviceIoThread();

    // Runs `work` on the thread, then `done` with its result on the receiver's thread (never from inside
    // `run`). `done` is dropped when the receiver is gone by then. The result must be copyable.
    template <typename Work, typename Done> void run(Work work, Done done) {
        post([state = std::weak_ptr<State>(m_state), work = std::move(work),
              done = std::move(done)]() mutable {
            auto result = std::make_shared<decltype(work())>(work());
            deliver(state, [done, result]() mutable { done(std::move(*result)); });
        });
    }

    // Runs `work` on the thread; the future finishes there with its result, or with `ifDropped` when the
    // call is dropped before it ran, so that a waiter always gets an answer.
    template <typename T, typename Work> QFuture<T> call(Work work, T ifDropped) {
        auto pending = std::make_shared<PendingCall<T>>(std::move(ifDropped));
        QFuture<T> future = pending->promise.future();
        post([pending, work = std::move(work)]() mutable { pending->fulfil(work()); });
        return future;
    }

private:
    template <typename T> struct PendingCall {
        explicit PendingCall(T fallback) : ifDropped(std::move(fallback)) { promise.start(); }
        PendingCall(const PendingCall&) = delete;
        PendingCall& operator=(const PendingCall&) = delete;
        ~PendingCall() {
            if (!done)
                fulfil(std::move(ifDropped));
        }
        void fulfil(T result) {
            done = true;
            promise.addResult(std::move(result));
            promise.finish();
        }
        QPromise<T> promise;
        T ifDropped;
        bool done = false;
    };

    struct State;

    void post(std::function<void()> task);
    static void deliver(const std::weak_ptr<State>& state, std::function<void()> result);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace telvar
