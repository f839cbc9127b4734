// SPDX-License-Identifier: GPL-3.0-or-later
#include "check_code.h"

#include "rank_settings.h"

namespace zorvat::InternetRank {

CheckNumbers builtInCheckNumbers()
{
    return { CheckMultiplier, CheckOffset };
}

std::int32_t CheckCode(std::int32_t Score, CheckNumbers numbers)
{
    // The server computes the code in 32-bit signed arithmetic, so a huge score wraps
    // around the same way here.
    const std::uint32_t code = static_cast<std::uint32_t>(Score) * static_cast<std::uint32_t>(numbers.multiplier)
        + static_cast<std::uint32_t>(numbers.offset);
    return static_cast<std::int32_t>(code);
}

} // namespace zorvat::InternetRank
