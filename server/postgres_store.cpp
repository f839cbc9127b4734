// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_store.h"

#include "store_schema.h"

#include <pqxx/pqxx>

#include <tuple>

namespace zorvat::rank {

namespace {

// Server processes starting together would race to create the tables; the lock lets one at a time.
const char* const CreateSchema = R"(
SELECT pg_advisory_xact_lock(20240615);
CREATE TABLE IF NOT EXISTS entries (
  id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  score INTEGER NOT NULL,
  play INTEGER NOT NULL,
  name TEXT NOT NULL,
  comment TEXT NOT NULL,
  created BIGINT NOT NULL);
CREATE INDEX IF NOT EXISTS entries_by_rank ON entries (score DESC, id);
CREATE TABLE IF NOT EXISTS scores (
  score INTEGER PRIMARY KEY,
  n BIGINT NOT NULL);
)";

const char* const InsertEntry = "INSERT INTO entries (score, play, name, comment, created) "
                                "VALUES ($1, $2, $3, $4, $5) RETURNING id";

// Rows come in through a temporary table so that the score counts grow once per score.
const char* const CreateIncoming = "CREATE TEMPORARY TABLE incoming (ord BIGINT, score INTEGER, play INTEGER, "
                                   "name TEXT, comment TEXT, created BIGINT) ON COMMIT DROP";
const char* const MoveIncoming = "INSERT INTO entries (score, play, name, comment, created) "
                                 "SELECT score, play, name, comment, created FROM incoming ORDER BY ord";
const char* const CountIncoming = "INSERT INTO scores (score, n) SELECT score, COUNT(*) FROM incoming GROUP BY score "
                                  "ON CONFLICT (score) DO UPDATE SET n = scores.n + excluded.n";

template <class Work> auto guarded(Work&& work)
{
    try {
        return work();
    } catch (const pqxx::failure& e) {
        throw StoreFailure(std::string("PostgreSQL: ") + e.what());
    }
}

} // namespace

struct PostgresStore::Connection {
    explicit Connection(const std::string& conninfo)
        : db(conninfo)
    {
    }
    pqxx::connection db;
};

// A connection borrowed for one call. A connection that broke on the way is dropped, not handed back.
class PostgresStore::Lease {
public:
    explicit Lease(PostgresStore& store)
        : m_store(store)
    {
        std::unique_lock lock(store.m_mutex);
        store.m_returned.wait(lock, [&] { return !store.m_idle.empty() || store.m_open < store.m_maxConnections; });
        if (!store.m_idle.empty()) {
            m_connection = std::move(store.m_idle.back());
            store.m_idle.pop_back();
            return;
        }
        ++store.m_open;
        lock.unlock();
        try {
            m_connection = store.connect();
        } catch (...) {
            release();
            throw;
        }
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() { release(); }
    pqxx::connection& operator*() { return m_connection->db; }

private:
    void release()
    {
        {
            const std::lock_guard lock(m_store.m_mutex);
            if (m_connection && m_connection->db.is_open())
                m_store.m_idle.push_back(std::move(m_connection));
            else
                --m_store.m_open;
        }
        m_store.m_returned.notify_one();
    }

    PostgresStore& m_store;
    std::unique_ptr<Connection> m_connection;
};

PostgresStore::PostgresStore(const std::string& conninfo, std::size_t connections)
    : m_conninfo(conninfo)
    , m_maxConnections(connections > 0 ? connections : 1)
{
    Lease lease(*this);
    guarded([&] {
        pqxx::work tx(*lease);
        tx.exec(CreateSchema);
        tx.commit();
    });
}

PostgresStore::~PostgresStore() = default;

std::unique_ptr<PostgresStore::Connection> PostgresStore::connect()
{
    return guarded([&] {
        auto connection = std::make_unique<Connection>(m_conninfo);
        connection->db.prepare("insert", InsertEntry);
        connection->db.prepare("count", schema::CountScore);
        connection->db.prepare("better", schema::Better);
        connection->db.prepare("equal", schema::EqualAndEarlier);
        connection->db.prepare("total", schema::Total);
        connection->db.prepare("top", schema::TopEntries);
        return connection;
    });
}

Registration PostgresStore::add(const Submission& entry, const std::string&, std::int64_t unixTime)
{
    Lease lease(*this);
    return guarded([&] {
        Registration registration;
        {
            pqxx::work tx(*lease);
            registration.id
                = tx.exec_prepared1("insert", entry.score, entry.play, entry.name, entry.comment, unixTime)[0]
                      .as<std::int64_t>();
            tx.exec_prepared("count", entry.score);
            tx.commit();
        }
        pqxx::read_transaction tx(*lease);
        registration.rank = tx.exec_prepared1("better", entry.score)[0].as<std::int64_t>()
            + tx.exec_prepared1("equal", entry.score, registration.id)[0].as<std::int64_t>();
        registration.total = tx.exec_prepared1("total")[0].as<std::int64_t>();
        return registration;
    });
}

void PostgresStore::addAll(const std::vector<Submission>& entries, std::int64_t unixTime)
{
    Lease lease(*this);
    guarded([&] {
        pqxx::work tx(*lease);
        tx.exec(CreateIncoming);
        pqxx::stream_to rows(tx, "incoming");
        std::int64_t ord = 0;
        for (const Submission& e : entries)
            rows << std::make_tuple(++ord, e.score, e.play, e.name, e.comment, unixTime);
        rows.complete();
        tx.exec(MoveIncoming);
        tx.exec(CountIncoming);
        tx.commit();
    });
}

Ranking PostgresStore::top(std::int64_t limit)
{
    Lease lease(*this);
    return guarded([&] {
        Ranking ranking;
        pqxx::read_transaction tx(*lease);
        for (const pqxx::row& row : tx.exec_prepared("top", limit)) {
            RankedEntry e;
            e.id = row[0].as<std::int64_t>();
            e.rank = static_cast<std::int64_t>(ranking.entries.size()) + 1;
            e.score = row[1].as<std::int32_t>();
            e.play = row[2].as<std::int32_t>();
            e.name = row[3].as<std::string>();
            e.comment = row[4].as<std::string>();
            e.time = row[5].as<std::int64_t>();
            ranking.entries.push_back(std::move(e));
        }
        ranking.total = tx.exec_prepared1("total")[0].as<std::int64_t>();
        return ranking;
    });
}

void PostgresStore::check()
{
    Lease lease(*this);
    guarded([&] {
        pqxx::nontransaction tx(*lease);
        tx.exec1("SELECT 1");
    });
}

} // namespace zorvat::rank
