// SPDX-License-Identifier: GPL-3.0-or-later
#include "worker_pool.h"

namespace zorvat::rank {

WorkerPool::WorkerPool(std::size_t threads, std::size_t maxWaiting)
    : m_maxWaiting(maxWaiting)
{
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i)
        m_threads.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool()
{
    shutdown();
}

bool WorkerPool::tryRun(std::function<void()> job)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping || m_waiting.size() >= m_maxWaiting + m_idle)
            return false;
        m_waiting.push_back(std::move(job));
    }
    m_wake.notify_one();
    return true;
}

void WorkerPool::shutdown()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
}

void WorkerPool::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
        --m_idle;
        if (m_waiting.empty())
            return;
        std::function<void()> job = std::move(m_waiting.front());
        m_waiting.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

} // namespace zorvat::rank
