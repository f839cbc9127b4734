// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sql_session.h"

namespace zorvat::rank::schema {

inline constexpr SqlDialect Sqlite {
    "SQLite",
    "INTEGER PRIMARY KEY",
    " WITHOUT ROWID",
    "", // BEGIN IMMEDIATE already lets one writer at a time
    "",
    "instr",
};

inline constexpr SqlDialect Postgres {
    "PostgreSQL",
    "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY",
    "",
    "SELECT pg_advisory_xact_lock(20240615)",
    "SET LOCAL statement_timeout = 0; SET LOCAL lock_timeout = 0",
    "strpos",
};

/** The schema version this program writes. */
int latestVersion();

/** Brings the store to the latest version inside the session's open transaction, which must be
    free of time-outs (counting a large store's entries takes longer than any post may); throws
    StoreRefusal for a store that a later zorvat-rank has already changed. */
void migrate(SqlSession& session);

} // namespace zorvat::rank::schema
