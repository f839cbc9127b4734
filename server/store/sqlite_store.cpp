// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_store.h"

#include "sqlite_checkpointer.h"
#include "sqlite_connection.h"

#include <sys/stat.h>

namespace zorvat::rank {

// A read connection borrowed from the idle ones for one call, handed back after it.
class SqliteStore::Reader {
public:
    explicit Reader(SqliteStore& store)
        : m_store(store)
    {
        {
            const std::lock_guard lock(store.m_readersMutex);
            if (!store.m_idleReaders.empty()) {
                m_connection = std::move(store.m_idleReaders.back());
                store.m_idleReaders.pop_back();
            }
        }
        if (!m_connection)
            m_connection = store.openReader();
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader()
    {
        const std::lock_guard lock(m_store.m_readersMutex);
        m_store.m_idleReaders.push_back(std::move(m_connection));
    }
    SqliteConnection* operator->() { return m_connection.get(); }

private:
    SqliteStore& m_store;
    std::unique_ptr<SqliteConnection> m_connection;
};

SqliteStore::SqliteStore(const std::string& path, std::size_t maxBatch, StoreTimeouts timeouts)
    : m_path(path)
    , m_timeouts(timeouts)
    , m_writer(std::make_unique<SqliteConnection>(path, timeouts.lock))
{
    m_writer->execute("PRAGMA journal_mode = WAL");
    m_writer->execute("PRAGMA synchronous = FULL");
    // The pages a post changes (its place among a million scores, the counts above it) are mostly
    // read again by the next posts: kept here, they are not read back from the system each time.
    m_writer->execute("PRAGMA cache_size = -65536");
    m_checkpointer = std::make_unique<SqliteCheckpointer>(path, timeouts.lock);
    m_writer->onCommitted([this](int pages) {
        if (!m_checkpointer->logged(pages))
            return;
        try {
            m_writer->checkpoint();
        } catch (const StoreFailure&) {
            // The commit stands; the log is copied on the next round.
        }
    });
    startWriting(maxBatch, timeouts.queue);
}

SqliteStore::~SqliteStore()
{
    stopWriting();
}

std::unique_ptr<SqliteConnection> SqliteStore::openReader()
{
    auto connection = std::make_unique<SqliteConnection>(m_path, m_timeouts.lock);
    connection->execute("PRAGMA query_only = ON");
    return connection;
}

void SqliteStore::read(const Work& work)
{
    Reader reader(*this);
    reader->transaction("BEGIN", [&] { work(*reader.operator->()); });
}

void SqliteStore::write(const Work& work, bool unbounded)
{
    std::unique_lock writing(m_writerMutex, std::defer_lock);
    if (unbounded)
        writing.lock();
    else if (!writing.try_lock_for(m_timeouts.lock))
        throw StoreFailure("SQLite: the writer was busy with a long task for longer than "
            + std::to_string(m_timeouts.lock.count()) + " ms");
    m_writer->transaction("BEGIN IMMEDIATE", [&] { work(*m_writer); });
}

void SqliteStore::backup(const std::string& file)
{
    // The copy replaces its file whole: over the store itself it would leave the running servers
    // writing to a file that no longer has a name, and their posts lost at the next start.
    struct stat target { };
    struct stat own { };
    if (::stat(file.c_str(), &target) == 0 && ::stat(m_path.c_str(), &own) == 0 && target.st_dev == own.st_dev
        && target.st_ino == own.st_ino)
        throw StoreRefusal("the backup must go to another file than the store " + m_path + " itself");
    Reader reader(*this);
    reader->backupTo(file);
}

} // namespace zorvat::rank
