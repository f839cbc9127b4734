// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sql_store.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zorvat::rank {

class SqliteConnection;
class SqliteCheckpointer;

// The ranking in one SQLite file. Each commit reaches the disk before the post is answered
// (write-ahead log, full sync), which costs a disk flush; so one writer thread commits the posts
// that arrive together in one transaction and answers them all after its flush. Readers read on
// connections of their own, never waiting for the writer.
class SqliteStore : public SqlStore {
public:
    /** Opens or creates the file and brings its tables up to date; `maxBatch` bounds the posts
        committed together. */
    explicit SqliteStore(const std::string& path, std::size_t maxBatch = 256, StoreTimeouts timeouts = {});
    ~SqliteStore() override;

    /** Uses SQLite's online backup: posts go on while it copies. */
    void backup(const std::string& file) override;

protected:
    void read(const Work& work) override;
    void write(const Work& work, bool unbounded = false) override;

private:
    class Reader;

    std::unique_ptr<SqliteConnection> openReader();

    std::string m_path;
    StoreTimeouts m_timeouts;
    // Closed last: the last connection to close copies the whole log into the file and removes it.
    std::unique_ptr<SqliteCheckpointer> m_checkpointer;
    std::timed_mutex m_writerMutex; // the writer thread's batches and the host's chores take turns
    std::unique_ptr<SqliteConnection> m_writer;

    std::mutex m_readersMutex;
    std::vector<std::unique_ptr<SqliteConnection>> m_idleReaders;
};

} // namespace zorvat::rank
