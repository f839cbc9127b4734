// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zorvat::rank {

// The threads that serve connections, with a bounded waiting line. A connection that finds the line
// full is still handed to its job, at once and on the accepting thread, with overloaded() true, so
// that the job can turn it away quickly instead of leaving it open and unanswered.
class WorkerPool : public httplib::TaskQueue {
public:
    WorkerPool(std::size_t threads, std::size_t maxWaiting);
    ~WorkerPool() override;

    void enqueue(std::function<void()> job) override;
    /** Lets the waiting jobs run, then ends the threads. */
    void shutdown() override;

    /** True inside a job that runs because the pool was full. */
    static bool overloaded();

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
