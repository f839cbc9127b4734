// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_calls.h"
#include "rank_target.h"

#include <cstdint>

namespace zorvat::InternetRank {

/** The ranking page's file name, in the current folder. */
inline constexpr char RankPageName[] = "intsc.htm";

/** Writes "intsc.htm" into the current folder, through `calls`: the ranking form for this score
    and game count, posting to `target`. Throws Error with the system's reason for the failure
    (writeErrorText); the old page then stays whole. */
void WriteRankPage(
    std::int32_t Score, std::int32_t PlayCount, const RankTarget& target, const FileCalls& calls = FileCalls());

} // namespace zorvat::InternetRank
