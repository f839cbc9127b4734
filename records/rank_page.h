// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "check_code.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvat::InternetRank {

/** The bytes of the ranking page (code page 932, CR LF lines) with its form posting to `url`, a
    ranking server that checks the score with `check`. */
std::string rankPageBytes(
    std::int32_t Score, std::int32_t PlayCount, std::string_view url, CheckNumbers check = builtInCheckNumbers());

} // namespace zorvat::InternetRank
