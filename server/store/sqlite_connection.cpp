// SPDX-License-Identifier: GPL-3.0-or-later
#include "sqlite_connection.h"

#include "entry_store.h"
#include "store_schema.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zorvat::rank {

namespace {

[[noreturn]] void fail(sqlite3* db, std::string_view what)
{
    throw StoreFailure("SQLite: " + std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// The parameters $1, $2, ... as SQLite numbers them, ?1, ?2, ...: SQLite would number "$1" by
// its first appearance in the text instead.
std::string numberedParameters(std::string_view sql)
{
    std::string out(sql);
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {
        if (out[i] == '$' && out[i + 1] >= '0' && out[i + 1] <= '9')
            out[i] = '?';
    }
    return out;
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

SqliteStatement& SqliteStatement::bind(int index, const SqlValue& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return bind(index, *number);
    return bind(index, std::string_view(std::get<std::string>(value)));
}

SqlRow SqliteStatement::row() const
{
    SqlRow row;
    const int columns = sqlite3_column_count(m_stmt);
    row.reserve(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        if (sqlite3_column_type(m_stmt, c) == SQLITE_INTEGER)
            row.emplace_back(integer(c));
        else
            row.emplace_back(text(c));
    }
    return row;
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

SqliteConnection::SqliteConnection(const std::string& path, std::chrono::milliseconds busyWait)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw StoreFailure("SQLite: cannot open " + path + ": " + reason);
    }
    // Another connection (a checkpoint, the host's command, a second server on the same file) may
    // hold the lock a moment; one that holds it longer must not hold up a post for ever.
    sqlite3_busy_timeout(m_db, static_cast<int>(busyWait.count()));
}

SqliteConnection::~SqliteConnection()
{
    m_statements.clear();
    sqlite3_close(m_db);
}

const SqlDialect& SqliteConnection::dialect() const
{
    return schema::Sqlite;
}

void SqliteConnection::execute(std::string_view sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, std::string(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : sqlite3_errmsg(m_db);
        sqlite3_free(message);
        throw StoreFailure("SQLite: " + reason);
    }
}

std::vector<SqlRow> SqliteConnection::query(std::string_view sql, const std::vector<SqlValue>& params)
{
    SqliteStatement& stmt = statement(sql);
    for (std::size_t i = 0; i < params.size(); ++i)
        stmt.bind(static_cast<int>(i) + 1, params[i]);
    std::vector<SqlRow> rows;
    while (stmt.step())
        rows.push_back(stmt.row());
    return rows;
}

SqliteStatement& SqliteConnection::statement(std::string_view sql)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        auto prepared = std::make_unique<SqliteStatement>(m_db, numberedParameters(sql).c_str());
        it = m_statements.emplace(std::string(sql), std::move(prepared)).first;
    }
    it->second->reset(); // an earlier use may have stopped midway through its rows
    return *it->second;
}

void SqliteConnection::backupTo(const std::string& path)
{
    const std::string part = path + ".part";
    std::remove(part.c_str());
    sqlite3* copy = nullptr;
    if (sqlite3_open_v2(part.c_str(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const std::string reason = copy ? sqlite3_errmsg(copy) : "out of memory";
        sqlite3_close(copy);
        throw StoreFailure("SQLite: cannot write the backup " + part + ": " + reason);
    }
    // All pages in one step: the step reads one moment of the store, as writers go on in the log.
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", m_db, "main");
    const int stepped = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    sqlite3_backup_finish(backup);
    std::string reason = stepped == SQLITE_DONE ? std::string() : sqlite3_errmsg(copy);
    if (sqlite3_close(copy) != SQLITE_OK && reason.empty())
        reason = "it could not be closed";
    if (reason.empty() && std::rename(part.c_str(), path.c_str()) != 0)
        reason = std::strerror(errno);
    if (!reason.empty()) {
        std::remove(part.c_str());
        throw StoreFailure("SQLite: the backup to " + path + " failed: " + reason);
    }
}

void SqliteConnection::onCommitted(std::function<void(int pages)> logged)
{
    m_logged = std::move(logged);
    sqlite3_wal_hook(
        m_db,
        [](void* self, sqlite3*, const char*, int pages) {
            static_cast<SqliteConnection*>(self)->m_logged(pages);
            return SQLITE_OK;
        },
        this);
}

void SqliteConnection::checkpoint()
{
    if (sqlite3_wal_checkpoint_v2(m_db, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr) != SQLITE_OK)
        fail(m_db, "checkpoint");
}

void SqliteConnection::abandonTransaction() noexcept
{
    // A COMMIT that failed may have ended the transaction or left it open; left open, it would
    // make every later BEGIN on this connection fail.
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace zorvat::rank
