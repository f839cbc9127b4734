// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zorvat::rank {

enum class Clock { Local, Utc };

/** A moment given in seconds since 1970 as `strftime` writes it in `format`, on the host's clock or in UTC. */
std::string timeText(std::int64_t unixTime, const char* format, Clock clock);

} // namespace zorvat::rank
