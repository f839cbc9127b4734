// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clock.h"

#include <cstdint>

namespace zorvat {

// The dealing generator. Patterns follow from these two operations alone, so both are
// kept bit for bit: a linear congruence on 32 bits and a multiply-shift range reduction.
class Random {
public:
    std::uint32_t Seed = 0;

    /** Seed := milliseconds of the UTC day. */
    void Reseed(const Clock& clock);
    /** Advances Seed and returns floor(range * Seed / 2^32), in 0..range-1. */
    std::uint32_t RandomBelow(std::uint32_t range);
};

} // namespace zorvat
