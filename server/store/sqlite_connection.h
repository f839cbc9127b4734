// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sql_session.h"

#include <chrono>
#include <cstdint>
#include <functional>
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
    SqliteStatement& bind(int index, const SqlValue& value);
    /** True while there is a row to read; false (and reset) at the end. */
    bool step();
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    /** The current row's columns, integers as integers and everything else as text. */
    SqlRow row() const;
    void reset();

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// One connection to the database file, used by one thread at a time.
class SqliteConnection : public SqlSession {
public:
    /** Opens or creates the file; a lock held by another connection is waited for at most `busyWait`. */
    SqliteConnection(const std::string& path, std::chrono::milliseconds busyWait);
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;
    ~SqliteConnection() override;

    const SqlDialect& dialect() const override;
    void execute(std::string_view sql) override;
    std::vector<SqlRow> query(std::string_view sql, const std::vector<SqlValue>& params = {}) override;
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
    /** Copies the whole database to `path` as one moment of it, while other connections go on
        writing; the copy replaces `path` only once it is complete. */
    void backupTo(const std::string& path);
    /** Calls `logged` with the pages the write-ahead log holds after each commit of this connection,
        in place of copying the log into the file itself (see SqliteCheckpointer). */
    void onCommitted(std::function<void(int pages)> logged);
    /** Copies as much of the write-ahead log into the file as no reader still needs, without
        waiting for the writer or the readers. */
    void checkpoint();

private:
    SqliteStatement& statement(std::string_view sql);
    void abandonTransaction() noexcept;

    sqlite3* m_db = nullptr;
    std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> m_statements;
    std::function<void(int)> m_logged;
};

} // namespace zorvat::rank
