// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zorvat::InternetRank {

/** The two numbers of a ranking server's check code, Score * multiplier + offset: a two-digit
    multiplier and a one-digit offset. */
struct CheckNumbers {
    std::int32_t multiplier = 0;
    std::int32_t offset = 0;

    bool operator==(const CheckNumbers&) const = default;
};

/** The numbers this build was made with, those of the ranking server it names. */
CheckNumbers builtInCheckNumbers();

/** The check code a ranking server with these numbers expects for `Score`, wrapping like 32-bit
    signed arithmetic. */
std::int32_t CheckCode(std::int32_t Score, CheckNumbers numbers = builtInCheckNumbers());

} // namespace zorvat::InternetRank
