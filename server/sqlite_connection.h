// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zorvat::rank {

// One prepared statement, kept for reuse: bind, step through the rows, then it resets itself for
// the next use when stepped to the end or reset. Failures throw StoreFailure.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const char* sql);
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, std::string_view text);
    /** True while there is a row to read; false (and reset) at the end. */
    bool step();
    /** Runs a statement that returns one integer. */
    std::int64_t integerResult();
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    void reset();

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// One connection to the database file, used by one thread at a time.
class SqliteConnection {
public:
    explicit SqliteConnection(const std::string& path);
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;
    ~SqliteConnection();

    void execute(const char* sql);
    /** Runs `work` between `begin` and COMMIT; rolls back and rethrows when it or the COMMIT throws. */
    template <class Work> void transaction(const char* begin, Work&& work)
    {
        execute(begin);
        try {
            work();
            execute("COMMIT");
        } catch (...) {
            abandonTransaction();
            throw;
        }
    }
    /** The prepared form of `sql`, made on first use. */
    SqliteStatement& statement(const char* sql);
    std::int64_t lastInsertId() const;

private:
    void abandonTransaction() noexcept;

    sqlite3* m_db = nullptr;
    std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> m_statements;
};

} // namespace zorvat::rank
