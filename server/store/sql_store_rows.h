// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the store's posts and ranking (sql_store.cpp) and the host's chores (sql_store_host.cpp)
// read and count alike; only those two include it.
#include "entry.h"
#include "sql_session.h"

namespace zorvat::rank {

/** The shown entries of a score that came before an entry: its place among its ties. */
inline constexpr const char* EqualAndEarlier
    = "SELECT COUNT(*) FROM entries WHERE hidden = 0 AND score = $1 AND id < $2";

/** An entry as the ranking and the host's list select it: id, score, play, name, comment, created,
    and for the host also address and hidden. */
RankedEntry listedEntry(const SqlRow& row);

} // namespace zorvat::rank
