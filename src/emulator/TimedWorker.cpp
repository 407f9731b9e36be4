// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/TimedWorker.h"

namespace telvar {

TimedWorker::TimedWorker() : m_thread([this] { run(); }) {}

TimedWorker::~TimedWorker() {
    stop();
}

void TimedWorker::post(Clock::duration delay, Job job) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_queue.push({Clock::now() + delay, m_posted++, std::move(job)});
    }
    m_wake.notify_one();
}

void TimedWorker::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void TimedWorker::run() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_queue.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const Clock::time_point due = m_queue.top().due;
        if (Clock::now() < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        Job job = m_queue.top().job;
        m_queue.pop();
        lock.unlock();
        job();
        lock.lock();
    }
}

} // namespace telvar
