// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvat::rank {

/** A checked post of the game's ranking page; texts in UTF-8. */
struct Submission {
    std::int32_t score = 0;
    std::int32_t play = 0;
    std::string name;
    std::string comment;
};

/** A stored entry with its place in the ranking (1 for the best). */
struct RankedEntry {
    std::int64_t id = 0;
    std::int64_t rank = 0;
    std::int32_t score = 0;
    std::int32_t play = 0;
    std::string name;
    std::string comment;
    std::int64_t time = 0; // seconds since 1970 UTC
};

/** The best entries, best first, and how many there are in all. */
struct Ranking {
    std::int64_t total = 0;
    std::vector<RankedEntry> entries;
};

/** Where a new entry landed. */
struct Registration {
    std::int64_t id = 0;
    std::int64_t rank = 0;
    std::int64_t total = 0;
};

} // namespace zorvat::rank
