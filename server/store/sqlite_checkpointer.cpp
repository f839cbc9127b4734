// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_checkpointer.h"

#include "entry_store.h"
#include "sqlite_connection.h"

namespace zorvat::rank {

SqliteCheckpointer::SqliteCheckpointer(const std::string& path, std::chrono::milliseconds busyWait, int logPages)
    : m_connection(std::make_unique<SqliteConnection>(path, busyWait))
    , m_logPages(logPages)
    , m_thread([this] { run(); })
{
    // A connection copies only a log it has opened, and it opens it by reading the file.
    m_connection->execute("PRAGMA journal_mode = WAL");
}

SqliteCheckpointer::~SqliteCheckpointer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

bool SqliteCheckpointer::logged(int pages)
{
    if (pages < m_logPages)
        return false;
    {
        const std::lock_guard lock(m_mutex);
        if (m_copied) {
            m_copied = false;
            return true;
        }
        if (m_running)
            return false;
        m_due = true;
    }
    m_wake.notify_one();
    return false;
}

void SqliteCheckpointer::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_due || m_stopping; });
        if (m_stopping)
            return;
        m_due = false;
        m_running = true;
        lock.unlock();
        try {
            m_connection->checkpoint();
        } catch (const StoreFailure&) {
            // The log only grows meanwhile; the next commit asks again, and the last connection to
            // close copies whatever is left.
        }
        lock.lock();
        m_running = false;
        m_copied = true;
    }
}

} // namespace zorvat::rank
