// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zorvat::InternetRank {

/** The check code the ranking server expects for `Score`, wrapping like 32-bit signed arithmetic. */
std::int32_t CheckCode(std::int32_t Score);

} // namespace zorvat::InternetRank
