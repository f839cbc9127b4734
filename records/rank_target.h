// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "check_code.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

namespace zorvat::InternetRank {

// The ranking server the page posts to: the address of its rank.cgi and the numbers of the check
// code it verifies. The numbers belong to the server the address names, so both always come from
// the same place.
struct RankTarget {
    std::string url;
    CheckNumbers check;

    bool operator==(const RankTarget&) const = default;
};

/** The address and numbers the game was built with (ZORVAT_RANK_URL and the check numbers in CMake). */
RankTarget builtInRankTarget();

/** A variable of the environment by name, null when it is not set; std::getenv is one. */
using EnvironmentLookup = std::function<const char*(const char* name)>;

/** Where this player's ranking page posts, from the first of these that names an address:
    ZORVAT_RANK_URL in `environment`, with the build's numbers; the file "zorvat/ranking.conf" in
    `configHome`, then in each folder of XDG_CONFIG_DIRS (/etc/xdg when unset), with the numbers
    the file gives and the build's for any it leaves out; last the build's address and numbers.
    A source with a bad value, and a file that cannot be read, is passed over with one line on
    `warnings` saying where and why. Reads only those files; nothing is written. */
RankTarget findRankTarget(
    const EnvironmentLookup& environment, const std::filesystem::path& configHome, std::ostream& warnings);

} // namespace zorvat::InternetRank
