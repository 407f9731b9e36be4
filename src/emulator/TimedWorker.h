// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

namespace telvar {

// A thread that runs jobs when they fall due, in due order (jobs due at the same time in the order they
// were posted). The virtual device answers from here, as a real device answers from the far end of the bus.
class TimedWorker {
public:
    using Clock = std::chrono::steady_clock;
    using Job = std::function<void()>;

    TimedWorker();
    TimedWorker(const TimedWorker&) = delete;
    TimedWorker& operator=(const TimedWorker&) = delete;
    // Stops the thread; jobs not yet due are dropped.
    ~TimedWorker();

    void post(Clock::duration delay, Job job);
    // Ends the thread and drops the pending jobs. Later posts are ignored.
    void stop();

private:
    struct Entry {
        Clock::time_point due;
        std::uint64_t order;
        Job job;
        bool operator>(const Entry& other) const {
            return due != other.due ? due > other.due : order > other.order;
        }
    };

    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> m_queue;
    std::uint64_t m_posted = 0;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace telvar
