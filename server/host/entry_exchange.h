// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorvat::rank {

/** What moves a ranking from one store to another: its entries and its bans. */
struct Exchange {
    std::vector<RankedEntry> entries;
    std::vector<Ban> bans;
};

/** The entries as the host's listing writes them: one JSON array of objects with id, rank, name,
    score, games, comment, time (ISO 8601 UTC), address and hidden. */
std::string entriesJson(const std::vector<RankedEntry>& entries);

/** {"entries": [...], "bans": [{"prefix", "reason", "time"}...]}, the entries as entriesJson writes
    them without rank: what exchangeFromJson reads back. */
std::string exchangeJson(const Exchange& exchange);

/** The entries and bans of a text that exchangeJson wrote, or the bare array that entriesJson
    wrote (no bans then); rank is ignored. Throws Error naming what is wrong, and where. */
Exchange exchangeFromJson(std::string_view text);

} // namespace zorvat::rank
