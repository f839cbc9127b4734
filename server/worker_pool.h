// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zorvat::rank {

// The threads that serve connections, with a waiting line of bounded length.
class WorkerPool {
public:
    WorkerPool(std::size_t threads, std::size_t maxWaiting);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool();

    /** Queues `job`; false (and `job` dropped) when every thread is busy and the line is full. */
    bool tryRun(std::function<void()> job);
    /** Lets the queued jobs run, then ends the threads. */
    void shutdown();

private:
    void work();

    std::size_t m_maxWaiting;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_waiting;
    std::size_t m_idle = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace zorvat::rank
