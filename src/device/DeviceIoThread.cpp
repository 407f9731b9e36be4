// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceIoThread.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace telvar {

// Shared by the owner and the thread, so that a thread left behind still has what it works with.
struct DeviceIoThread::State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> queue;
    // Cleared under the mutex before the receiver goes away; a result is posted only while it is set.
    QObject* receiver = nullptr;
    bool stopping = false;
    bool finished = false;
};

DeviceIoThread::DeviceIoThread(QObject* receiver) : m_state(std::make_shared<State>()) {
    m_state->receiver = receiver;
    m_thread = std::thread([state = m_state] {
        std::unique_lock lock(state->mutex);
        while (true) {
            state->changed.wait(lock, [&] { return state->stopping || !state->queue.empty(); });
            if (state->stopping)
                break;
            std::function<void()> task = std::move(state->queue.front());
            state->queue.pop_front();
            lock.unlock();
            task();
            task = nullptr; // whatever it holds (a device handle) is released on this thread too
            lock.lock();
        }
        // Dropped calls answer their waiters now, while the owner may still be waiting for us.
        std::deque<std::function<void()>> dropped = std::move(state->queue);
        lock.unlock();
        dropped.clear();
        lock.lock();
        state->finished = true;
        state->changed.notify_all();
    });
}

DeviceIoThread::~DeviceIoThread() {
    std::unique_lock lock(m_state->mutex);
    m_state->stopping = true;
    m_state->receiver = nullptr;
    m_state->changed.notify_all();
    const bool finished = m_state->changed.wait_for(lock, kStopWait, [this] { return m_state->finished; });
    lock.unlock();
    if (finished)
        m_thread.join();
    else
        m_thread.detach(); // stuck in a device call: it ends on its own, holding only the shared state
}

void DeviceIoThread::post(std::function<void()> task) {
    std::lock_guard lock(m_state->mutex);
    m_state->queue.push_back(std::move(task));
    m_state->changed.notify_all();
}

void DeviceIoThread::deliver(const std::weak_ptr<State>& weakState, std::function<void()> result) {
    const std::shared_ptr<State> state = weakState.lock();
    if (!state)
        return;
    std::lock_guard lock(state->mutex);
    // Posting under the mutex keeps the receiver alive until the event is queued; the receiver's
    // destruction then discards it.
    if (state->receiver)
        QMetaObject::invokeMethod(state->receiver, std::move(result), Qt::QueuedConnection);
}

} // namespace telvar
