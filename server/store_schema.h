// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zorvat::rank::schema {

// The statements both stores run, in the SQL that SQLite and PostgreSQL share. Entries are never
// changed or removed, so the id orders them by time; scores counts entries per score so that the
// total and a new entry's rank need no scan of the entries.

inline constexpr char TopEntries[] = "SELECT id, score, play, name, comment, created FROM entries "
                                     "ORDER BY score DESC, id LIMIT $1";
inline constexpr char Total[] = "SELECT COALESCE(SUM(n), 0) FROM scores";
inline constexpr char CountScore[] = "INSERT INTO scores (score, n) VALUES ($1, 1) "
                                     "ON CONFLICT (score) DO UPDATE SET n = scores.n + 1";
inline constexpr char Better[] = "SELECT COALESCE(SUM(n), 0) FROM scores WHERE score > $1";
inline constexpr char EqualAndEarlier[] = "SELECT COUNT(*) FROM entries WHERE score = $1 AND id <= $2";

} // namespace zorvat::rank::schema
