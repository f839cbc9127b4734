// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zorvat::rank {

class SqliteConnection;

// Copies the write-ahead log into the database file on a thread and connection of its own. Left to
// the writer, every thousandth page of log would stall a commit, and every post waiting on it, for
// as long as the copy and its disk flush take. The copy never waits for the writer or for readers:
// what a reader still needs is copied next time. The log starts again from its beginning only when
// a writer finds it copied whole, which a copy running beside the writer never leaves it; so once
// the bulk is copied, the writer copies the few pages committed since itself.
class SqliteCheckpointer {
public:
    /** Copies once the log holds `logPages` pages. */
    SqliteCheckpointer(const std::string& path, std::chrono::milliseconds busyWait, int logPages = 1000);
    SqliteCheckpointer(const SqliteCheckpointer&) = delete;
    SqliteCheckpointer& operator=(const SqliteCheckpointer&) = delete;
    /** Finishes a copy under way, then stops. */
    ~SqliteCheckpointer();

    /** The writer's word after a commit: the log holds `pages` pages. Never waits. True when the
        writer should now copy the rest itself, so that its next transaction starts the log again. */
    bool logged(int pages);

private:
    void run();

    std::unique_ptr<SqliteConnection> m_connection;
    int m_logPages;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_due = false;
    bool m_running = false;
    bool m_copied = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace zorvat::rank
