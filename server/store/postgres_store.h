// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sql_store.h"

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zorvat::rank {

// The ranking in a PostgreSQL database, which several server processes may share: what ranks
// need is counted in the database, not in one process. One writer thread per process commits the
// posts that arrive together in one transaction, as the SQLite store does.
class PostgresStore : public SqlStore {
public:
    /** Connects with the libpq connection string `conninfo` (keywords or a URI; what it leaves out
        comes from libpq's environment, PGHOST, PGPASSFILE, ...) and brings the tables up to date;
        at most `connections` connections are open at once. */
    explicit PostgresStore(const std::string& conninfo, std::size_t connections = 8, StoreTimeouts timeouts = {});
    ~PostgresStore() override;

    /** Refuses: pg_dump copies a database that is in use. */
    void backup(const std::string& file) override;

protected:
    void read(const Work& work) override;
    void readStatement(const Work& work) override;
    void write(const Work& work, bool unbounded = false) override;

private:
    struct Connection;
    class Lease;

    std::unique_ptr<Connection> connect();

    std::string m_conninfo;
    std::size_t m_maxConnections;
    StoreTimeouts m_timeouts;
    std::size_t m_open = 0;
    std::mutex m_mutex;
    std::condition_variable m_returned;
    std::vector<std::unique_ptr<Connection>> m_idle;
};

} // namespace zorvat::rank
