// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zorvat::rank {

/** A statement parameter or a column value. SQL NULL reads as 0 or "". */
using SqlValue = std::variant<std::int64_t, std::string>;
using SqlRow = std::vector<SqlValue>;

/** The value as an integer; a column that came back as text (PostgreSQL's) is read as decimal. */
std::int64_t integerOf(const SqlValue& value);
std::string textOf(const SqlValue& value);

/** What SQLite and PostgreSQL spell differently in the ranking's SQL; everything else is shared. */
struct SqlDialect {
    const char* name;
    /** The column that numbers the entries in the order they came. */
    const char* identity;
    /** Ends a CREATE TABLE whose rows are kept in the order of the primary key, so that a range of
        keys is read from neighbouring rows. */
    const char* keyOrdered;
    /** Run first in a schema change, so that server processes starting together take turns. */
    const char* schemaLock;
    /** Lifts the time-outs for the rest of a long transaction (a schema change, an import). */
    const char* unbounded;
    /** The function that finds text in text: position from 1, or 0. */
    const char* position;
};

// One connection inside one open transaction, as the ranking's rules use it. Statements name their
// parameters $1, $2, ... in both dialects. Failures throw StoreFailure.
class SqlSession {
public:
    virtual ~SqlSession() = default;

    virtual const SqlDialect& dialect() const = 0;
    /** Runs statements that take no parameters and return nothing, separated by ';'. */
    virtual void execute(std::string_view sql) = 0;
    /** Runs one statement and returns its rows; its prepared form is kept for the next call. */
    virtual std::vector<SqlRow> query(std::string_view sql, const std::vector<SqlValue>& params = {}) = 0;

    /** Runs a statement that returns one integer. */
    std::int64_t integer(std::string_view sql, const std::vector<SqlValue>& params = {});
};

} // namespace zorvat::rank
