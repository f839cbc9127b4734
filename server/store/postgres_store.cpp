// SPDX-License-Identifier: GPL-3.0-or-later
#include "postgres_store.h"

#include "store_schema.h"

#include <pqxx/pqxx>

#include <algorithm>
#include <map>

namespace zorvat::rank {

namespace {

template <class Work> auto guarded(Work&& work)
{
    try {
        return work();
    } catch (const pqxx::failure& e) {
        throw StoreFailure(std::string("PostgreSQL: ") + e.what());
    }
}

// The host's connection string with a bound on connecting, unless it sets one itself.
std::string withConnectTimeout(const std::string& conninfo, std::chrono::milliseconds timeout)
{
    if (conninfo.find("connect_timeout") != std::string::npos)
        return conninfo;
    // libpq counts whole seconds and takes less than 2 as 2.
    const std::string seconds = std::to_string(std::max<long long>(2, (timeout.count() + 999) / 1000));
    if (conninfo.rfind("postgresql://", 0) == 0 || conninfo.rfind("postgres://", 0) == 0)
        return conninfo + (conninfo.find('?') == std::string::npos ? "?" : "&") + "connect_timeout=" + seconds;
    return "connect_timeout=" + seconds + " " + conninfo;
}

struct PgConnection {
    explicit PgConnection(const std::string& conninfo)
        : db(conninfo)
    {
    }
    pqxx::connection db;
    std::map<std::string, std::string, std::less<>> prepared; // statement text -> its name here
};

class PgSession : public SqlSession {
public:
    PgSession(pqxx::transaction_base& tx, PgConnection& connection)
        : m_tx(tx)
        , m_connection(connection)
    {
    }

    const SqlDialect& dialect() const override { return schema::Postgres; }

    void execute(std::string_view sql) override { m_tx.exec(std::string(sql)); }

    std::vector<SqlRow> query(std::string_view sql, const std::vector<SqlValue>& params) override
    {
        auto it = m_connection.prepared.find(sql);
        if (it == m_connection.prepared.end()) {
            std::string name(1, 's');
            name += std::to_string(m_connection.prepared.size());
            m_connection.db.prepare(name, std::string(sql));
            it = m_connection.prepared.emplace(std::string(sql), name).first;
        }
        std::vector<std::string> texts;
        texts.reserve(params.size());
        for (const SqlValue& value : params)
            texts.push_back(textOf(value));
        const pqxx::result result = m_tx.exec_prepared(it->second, pqxx::prepare::make_dynamic_params(texts));
        std::vector<SqlRow> rows;
        rows.reserve(result.size());
        for (const pqxx::row& row : result) {
            SqlRow values;
            values.reserve(row.size());
            for (const pqxx::field& field : row)
                values.emplace_back(field.is_null() ? std::string() : std::string(field.c_str(), field.size()));
            rows.push_back(std::move(values));
        }
        return rows;
    }

private:
    pqxx::transaction_base& m_tx;
    PgConnection& m_connection;
};

} // namespace

struct PostgresStore::Connection : PgConnection {
    using PgConnection::PgConnection;
};

// A connection borrowed for one call, waited for at most the queue time-out. A connection that
// broke on the way is dropped, not handed back.
class PostgresStore::Lease {
public:
    explicit Lease(PostgresStore& store)
        : m_store(store)
    {
        std::unique_lock lock(store.m_mutex);
        if (!store.m_returned.wait_for(lock, store.m_timeouts.queue,
                [&] { return !store.m_idle.empty() || store.m_open < store.m_maxConnections; })) {
            throw StoreFailure(
                "PostgreSQL: no connection came free within " + std::to_string(store.m_timeouts.queue.count()) + " ms");
        }
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
    Connection& operator*() { return *m_connection; }

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

PostgresStore::PostgresStore(const std::string& conninfo, std::size_t connections, StoreTimeouts timeouts)
    : m_conninfo(withConnectTimeout(conninfo, timeouts.connect))
    , m_maxConnections(connections > 0 ? connections : 1)
    , m_timeouts(timeouts)
{
    startWriting(256, timeouts.queue);
}

PostgresStore::~PostgresStore()
{
    stopWriting();
}

std::unique_ptr<PostgresStore::Connection> PostgresStore::connect()
{
    return guarded([&] {
        auto connection = std::make_unique<Connection>(m_conninfo);
        // A locked table or a stuck statement ends in an error the post can answer in time.
        pqxx::nontransaction(connection->db)
            .exec("SET statement_timeout = " + std::to_string(m_timeouts.statement.count())
                + "; SET lock_timeout = " + std::to_string(m_timeouts.lock.count()));
        return connection;
    });
}

void PostgresStore::read(const Work& work)
{
    Lease lease(*this);
    guarded([&] {
        // One snapshot for the whole call, so that a page's total matches its entries.
        pqxx::transaction<pqxx::repeatable_read, pqxx::read_only> tx((*lease).db);
        PgSession session(tx, *lease);
        work(session);
        tx.commit();
    });
}

void PostgresStore::readStatement(const Work& work)
{
    // One round trip instead of three: BEGIN and COMMIT are half the cost of a small question.
    Lease lease(*this);
    guarded([&] {
        pqxx::nontransaction tx((*lease).db);
        PgSession session(tx, *lease);
        work(session);
    });
}

void PostgresStore::write(const Work& work, bool unbounded)
{
    Lease lease(*this);
    guarded([&] {
        pqxx::work tx((*lease).db);
        PgSession session(tx, *lease);
        if (unbounded)
            session.execute(schema::Postgres.unbounded);
        work(session);
        tx.commit();
    });
}

void PostgresStore::backup(const std::string&)
{
    throw StoreRefusal("a PostgreSQL ranking is copied with PostgreSQL's own pg_dump while the servers run "
                       "(pg_dump --format=custom --file=FILE DBNAME); zorvat-rank backup copies SQLite stores");
}

} // namespace zorvat::rank
