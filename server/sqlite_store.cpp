// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_store.h"

#include "sqlite_connection.h"
#include "store_schema.h"

#include <exception>

namespace zorvat::rank {

namespace {

const char* const CreateSchema = R"(
CREATE TABLE IF NOT EXISTS entries (
  id INTEGER PRIMARY KEY,
  score INTEGER NOT NULL,
  play INTEGER NOT NULL,
  name TEXT NOT NULL,
  comment TEXT NOT NULL,
  created INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS entries_by_rank ON entries (score DESC, id);
CREATE TABLE IF NOT EXISTS scores (
  score INTEGER PRIMARY KEY,
  n INTEGER NOT NULL);
)";

const char* const InsertEntry = "INSERT INTO entries (score, play, name, comment, created) VALUES ($1, $2, $3, $4, $5)";

} // namespace

struct SqliteStore::Pending {
    const Submission& entry;
    std::int64_t time;
    std::int64_t id = 0;
    std::exception_ptr error;
    bool done = false;
};

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

SqliteStore::SqliteStore(const std::string& path, std::size_t maxBatch)
    : m_path(path)
    , m_maxBatch(maxBatch > 0 ? maxBatch : 1)
    , m_writer(std::make_unique<SqliteConnection>(path))
{
    m_writer->execute("PRAGMA journal_mode = WAL");
    m_writer->execute("PRAGMA synchronous = FULL");
    m_writer->execute(CreateSchema);
    m_writeThread = std::thread([this] { writeLoop(); });
}

SqliteStore::~SqliteStore()
{
    {
        const std::lock_guard lock(m_queueMutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    m_writeThread.join();
}

std::unique_ptr<SqliteConnection> SqliteStore::openReader()
{
    auto connection = std::make_unique<SqliteConnection>(m_path);
    connection->execute("PRAGMA query_only = ON");
    return connection;
}

void SqliteStore::insert(const Submission& entry, std::int64_t unixTime, std::int64_t* id)
{
    m_writer->statement(InsertEntry)
        .bind(1, entry.score)
        .bind(2, entry.play)
        .bind(3, entry.name)
        .bind(4, entry.comment)
        .bind(5, unixTime)
        .step();
    if (id)
        *id = m_writer->lastInsertId();
    m_writer->statement(schema::CountScore).bind(1, entry.score).step();
}

void SqliteStore::writeLoop()
{
    std::unique_lock lock(m_queueMutex);
    for (;;) {
        m_queued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return;
        std::vector<Pending*> batch;
        while (!m_queue.empty() && batch.size() < m_maxBatch) {
            batch.push_back(m_queue.front());
            m_queue.pop_front();
        }
        lock.unlock();
        try {
            const std::lock_guard writing(m_writerMutex);
            m_writer->transaction("BEGIN IMMEDIATE", [&] {
                for (Pending* pending : batch)
                    insert(pending->entry, pending->time, &pending->id);
            });
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

Registration SqliteStore::add(const Submission& entry, const std::string&, std::int64_t unixTime)
{
    Pending pending { entry, unixTime, 0, nullptr, false };
    {
        std::unique_lock lock(m_queueMutex);
        m_queue.push_back(&pending);
        m_queued.notify_one();
        m_committed.wait(lock, [&] { return pending.done; });
    }
    if (pending.error)
        std::rethrow_exception(pending.error);

    // Counted after the commit on a read connection, so the writer never waits for it.
    Reader reader(*this);
    Registration registration;
    registration.id = pending.id;
    reader->transaction("BEGIN", [&] {
        registration.rank = reader->statement(schema::Better).bind(1, entry.score).integerResult()
            + reader->statement(schema::EqualAndEarlier).bind(1, entry.score).bind(2, pending.id).integerResult();
        registration.total = reader->statement(schema::Total).integerResult();
    });
    return registration;
}

void SqliteStore::addAll(const std::vector<Submission>& entries, std::int64_t unixTime)
{
    const std::lock_guard writing(m_writerMutex);
    m_writer->transaction("BEGIN IMMEDIATE", [&] {
        for (const Submission& entry : entries)
            insert(entry, unixTime, nullptr);
    });
}

Ranking SqliteStore::top(std::int64_t limit)
{
    Reader reader(*this);
    Ranking ranking;
    reader->transaction("BEGIN", [&] {
        SqliteStatement& rows = reader->statement(schema::TopEntries).bind(1, limit);
        while (rows.step()) {
            RankedEntry e;
            e.id = rows.integer(0);
            e.rank = static_cast<std::int64_t>(ranking.entries.size()) + 1;
            e.score = static_cast<std::int32_t>(rows.integer(1));
            e.play = static_cast<std::int32_t>(rows.integer(2));
            e.name = rows.text(3);
            e.comment = rows.text(4);
            e.time = rows.integer(5);
            ranking.entries.push_back(std::move(e));
        }
        ranking.total = reader->statement(schema::Total).integerResult();
    });
    return ranking;
}

void SqliteStore::check()
{
    Reader reader(*this);
    reader->statement("SELECT 1").integerResult();
}

} // namespace zorvat::rank
