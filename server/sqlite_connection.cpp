// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_connection.h"

#include "entry_store.h"

#include <sqlite3.h>

namespace zorvat::rank {

namespace {

[[noreturn]] void fail(sqlite3* db, std::string_view what)
{
    throw StoreFailure("SQLite: " + std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

} // namespace

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql)
    : m_db(db)
{
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) != SQLITE_OK)
        fail(db, sql);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        fail(m_db, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text)
{
    if (sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        fail(m_db, "bind");
    return *this;
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        const std::string reason = std::string(sqlite3_sql(m_stmt)) + ": " + sqlite3_errmsg(m_db);
        reset();
        throw StoreFailure("SQLite: " + reason);
    }
    reset();
    return false;
}

std::int64_t SqliteStatement::integerResult()
{
    if (!step())
        fail(m_db, "no result");
    const std::int64_t value = integer(0);
    reset();
    return value;
}

std::int64_t SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string SqliteStatement::text(int column) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))) : std::string();
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

SqliteConnection::SqliteConnection(const std::string& path)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw StoreFailure("SQLite: cannot open " + path + ": " + reason);
    }
    // Another connection (a checkpoint, a second server on the same file) may hold the lock a moment.
    sqlite3_busy_timeout(m_db, 5000);
}

SqliteConnection::~SqliteConnection()
{
    m_statements.clear();
    sqlite3_close(m_db);
}

void SqliteConnection::execute(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : sqlite3_errmsg(m_db);
        sqlite3_free(message);
        throw StoreFailure("SQLite: " + reason);
    }
}

SqliteStatement& SqliteConnection::statement(const char* sql)
{
    auto it = m_statements.find(std::string_view(sql));
    if (it == m_statements.end())
        it = m_statements.emplace(sql, std::make_unique<SqliteStatement>(m_db, sql)).first;
    it->second->reset(); // an earlier use may have stopped midway through its rows
    return *it->second;
}

void SqliteConnection::abandonTransaction() noexcept
{
    // A COMMIT that failed may have ended the transaction or left it open; left open, it would
    // make every later BEGIN on this connection fail.
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::int64_t SqliteConnection::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

} // namespace zorvat::rank
