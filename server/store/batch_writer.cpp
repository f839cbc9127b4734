// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch_writer.h"

#include "entry_store.h"

#include <algorithm>
#include <exception>

namespace zorvat::rank {

struct BatchWriter::Pending {
    const Post& post;
    Registration registration;
    std::exception_ptr error;
    bool taken = false;
    bool done = false;
};

BatchWriter::BatchWriter(Commit commit, std::size_t maxBatch, std::chrono::milliseconds queueWait)
    : m_commit(std::move(commit))
    , m_maxBatch(std::max<std::size_t>(maxBatch, 1))
    , m_queueWait(queueWait)
    , m_thread([this] { run(); })
{
}

BatchWriter::~BatchWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    m_thread.join();
}

Registration BatchWriter::submit(const Post& post)
{
    Pending pending { post, {}, nullptr, false, false };
    {
        std::unique_lock lock(m_mutex);
        m_queue.push_back(&pending);
        m_queued.notify_one();
        if (!m_committed.wait_for(lock, m_queueWait, [&] { return pending.taken; })) {
            // Never taken, so never stored: the post may fail without a trace in the store.
            m_queue.erase(std::find(m_queue.begin(), m_queue.end(), &pending));
            throw StoreFailure(
                "the store's writer was busy for longer than " + std::to_string(m_queueWait.count()) + " ms");
        }
        // Taken into a batch: its commit is bounded by the store's own time-outs, and its outcome
        // must be the answer, whatever it is.
        m_committed.wait(lock, [&] { return pending.done; });
    }
    if (pending.error)
        std::rethrow_exception(pending.error);
    return pending.registration;
}

void BatchWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return;
        std::vector<Pending*> batch;
        while (!m_queue.empty() && batch.size() < m_maxBatch) {
            batch.push_back(m_queue.front());
            batch.back()->taken = true;
            m_queue.pop_front();
        }
        lock.unlock();
        std::vector<const Post*> posts;
        for (const Pending* pending : batch)
            posts.push_back(&pending->post);
        try {
            const std::vector<Registration> registrations = m_commit(posts);
            for (std::size_t i = 0; i < batch.size(); ++i)
                batch[i]->registration = registrations.at(i);
        } catch (...) {
            for (Pending* pending : batch)
                pending->error = std::current_exception();
        }
        lock.lock();
        for (Pending* pending : batch)
            pending->done = true;
        m_committed.notify_all();
    }
}

} // namespace zorvat::rank
