// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvat::InternetRank {

/** The check code the ranking server expects for `Score`, wrapping like 32-bit signed arithmetic. */
std::int32_t CheckCode(std::int32_t Score);
/** The bytes of the ranking page (code page 932, CR LF lines) with its form posting to `url`. */
std::string rankPageBytes(std::int32_t Score, std::int32_t PlayCount, std::string_view url);

} // namespace zorvat::InternetRank
