// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry_store.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zorvat::rank {

class SqliteConnection;

// The ranking in one SQLite file, for a single server process. Each commit reaches the disk before
// the post is answered (write-ahead log, full sync), which costs a disk flush; so one writer thread
// commits the posts that arrive together in one transaction and answers them all after its flush.
class SqliteStore : public EntryStore {
public:
    /** Opens or creates the file; `maxBatch` bounds the posts committed together. */
    explicit SqliteStore(const std::string& path, std::size_t maxBatch = 256);
    ~SqliteStore() override;

    Registration add(const Submission& entry, const std::string& address, std::int64_t unixTime) override;
    void addAll(const std::vector<Submission>& entries, std::int64_t unixTime) override;
    Ranking top(std::int64_t limit) override;
    void check() override;

private:
    struct Pending;
    class Reader;

    void writeLoop();
    void insert(const Submission& entry, std::int64_t unixTime, std::int64_t* id);
    std::unique_ptr<SqliteConnection> openReader();

    std::string m_path;
    std::size_t m_maxBatch;
    std::mutex m_writerMutex; // the writer thread's batches and addAll take turns
    std::unique_ptr<SqliteConnection> m_writer;

    std::mutex m_queueMutex;
    std::condition_variable m_queued;
    std::condition_variable m_committed;
    std::deque<Pending*> m_queue;
    bool m_stopping = false;

    std::mutex m_readersMutex;
    std::vector<std::unique_ptr<SqliteConnection>> m_idleReaders;

    std::thread m_writeThread;
};

} // namespace zorvat::rank
