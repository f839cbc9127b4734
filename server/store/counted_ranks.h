// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sql_session.h"

#include <cstdint>
#include <map>
#include <utility>

namespace zorvat::rank {

// The shown entries counted in the store's counts table at eight levels: level 0 per score,
// level 1 per score >> 4, level 2 per score >> 8, ... level 7 per score >> 28. How many entries
// have a better score is then eight range sums of at most 15 rows each, and the total one sum of
// at most 8 rows (scores are 0..2^31-1), however the scores are spread and however many tie. A
// post writes eight rows in one statement; sixteen buckets a level, rather than 256 over four
// levels, keep the sum a rank needs at about a hundred rows, which a spread of a million scores
// otherwise makes the larger cost. The counts live in the store, so that every server process on
// one database shares them.
class CountedRanks {
public:
    /** Changes to the counts, keyed by (level, bucket) in the order every writer locks the rows in,
        so that writers of several processes never wait on each other in a circle. */
    using Changes = std::map<std::pair<int, std::int64_t>, std::int64_t>;

    /** Adds `change` entries of `score` at every level. */
    static void count(Changes& changes, std::int32_t score, std::int64_t change);
    /** Writes the changes in lock order and returns the new level-0 count of each score changed.
        The count a writer gets back is final until its transaction ends: the row stays locked. */
    static std::map<std::int64_t, std::int64_t> apply(SqlSession& session, const Changes& changes);
    /** Counts every shown entry anew (after an import). */
    static void recount(SqlSession& session);

    /** How many shown entries have a better score than `score`. */
    static std::int64_t better(SqlSession& session, std::int32_t score);
    /** How many entries are shown. */
    static std::int64_t total(SqlSession& session);

    /** Notes that entries left the ranking or came back other than by a post: the host's hiding,
        showing, deleting and importing. */
    static void moderated(SqlSession& session);
    /** A number that grows whenever what the ranking shows changes, in this process or another: a
        post adds to the total, and anything else that changes it is a moderation. */
    static std::int64_t version(SqlSession& session);
};

} // namespace zorvat::rank
