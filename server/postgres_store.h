// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry_store.h"

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zorvat::rank {

// The ranking in a PostgreSQL database, which several server processes may share. A post is one
// transaction; the database flushes its log at commit and joins the flushes of concurrent commits.
class PostgresStore : public EntryStore {
public:
    /** Connects with the libpq connection string `conninfo` and creates the tables if missing;
        at most `connections` connections are open at once. */
    explicit PostgresStore(const std::string& conninfo, std::size_t connections = 8);
    ~PostgresStore() override;

    Registration add(const Submission& entry, const std::string& address, std::int64_t unixTime) override;
    void addAll(const std::vector<Submission>& entries, std::int64_t unixTime) override;
    Ranking top(std::int64_t limit) override;
    void check() override;

private:
    struct Connection;
    class Lease;

    std::unique_ptr<Connection> connect();

    std::string m_conninfo;
    std::size_t m_maxConnections;
    std::size_t m_open = 0;
    std::mutex m_mutex;
    std::condition_variable m_returned;
    std::vector<std::unique_ptr<Connection>> m_idle;
};

} // namespace zorvat::rank
