// SPDX-License-Identifier: GPL-3.0-or-later
#include "random.h"

namespace zorvat {

void Random::Reseed(const Clock& clock)
{
    const TimeOfDay t = clock.utcTimeOfDay();
    Seed = static_cast<std::uint32_t>(((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond);
}

std::uint32_t Random::RandomBelow(std::uint32_t range)
{
    Seed = Seed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(range) * Seed) >> 32);
}

} // namespace zorvat
