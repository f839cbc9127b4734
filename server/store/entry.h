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

/** A stored entry with its place in the ranking (1 for the best; 0 for a hidden entry). */
struct RankedEntry {
    std::int64_t id = 0;
    std::int64_t rank = 0;
    std::int32_t score = 0;
    std::int32_t play = 0;
    std::string name;
    std::string comment;
    std::int64_t time = 0; // seconds since 1970 UTC
    std::string address {}; // the client's, as the server saw it; the host's listings only
    bool hidden = false; // the host's listings only: the ranking never shows a hidden entry
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
    bool resent = false; // the post repeated an entry stored moments before, which is answered instead
};

/** A ban on posts from one address or a block of them ("192.0.2.7", "2001:db8::/32"). */
struct Ban {
    std::string prefix;
    std::string reason;
    std::int64_t time = 0;
};

} // namespace zorvat::rank
