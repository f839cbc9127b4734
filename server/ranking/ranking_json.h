// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry.h"

#include <string>
#include <string_view>

namespace zorvat::rank {

/** The text as a JSON string literal, quotes included. */
std::string jsonString(std::string_view utf8);

/** {"total": n, "entries": [{"rank", "name", "score", "play", "comment", "time"}...]}, time in ISO 8601 UTC. */
std::string rankingJson(const Ranking& ranking);

} // namespace zorvat::rank
