// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zorvat::rank {

/** One post on its way into the store. */
struct Post {
    const Submission& entry;
    const std::string& address;
    std::int64_t time;
};

// One writer thread per store that commits the posts arriving together in one transaction and
// answers them all after it: a commit costs a disk flush (SQLite) or a round trip and a log flush
// (PostgreSQL), and posts that share one pay it once.
class BatchWriter {
public:
    /** Stores the posts in one transaction and returns their answers in the same order, or throws
        and stores none of them. */
    using Commit = std::function<std::vector<Registration>(const std::vector<const Post*>&)>;

    /** `maxBatch` bounds the posts committed together; a post not taken into a batch within
        `queueWait` is given up and fails. */
    BatchWriter(Commit commit, std::size_t maxBatch, std::chrono::milliseconds queueWait);
    BatchWriter(const BatchWriter&) = delete;
    BatchWriter& operator=(const BatchWriter&) = delete;
    /** Commits what is queued, then stops the thread. */
    ~BatchWriter();

    /** Stores the post and returns its answer once committed; throws StoreFailure when the writer
        is busy past the queue wait (nothing is stored then), or the commit's own failure. */
    Registration submit(const Post& post);

private:
    struct Pending;
    void run();

    Commit m_commit;
    std::size_t m_maxBatch;
    std::chrono::milliseconds m_queueWait;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_committed;
    std::deque<Pending*> m_queue;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace zorvat::rank
