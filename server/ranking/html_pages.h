// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "entry.h"

#include <string>
#include <string_view>

namespace zorvat::rank {

/** The text with every character that means something in HTML written as a character reference. */
std::string htmlEscaped(std::string_view text);

/** The ranking page (UTF-8): `ranking`'s entries with rank, name, score, games, comment and date;
    the entry `newId` (0: none) highlighted. */
std::string rankingPage(const Ranking& ranking, std::int64_t newId);

/** The answer to an accepted post: registered, at which rank, with a link to the ranking. */
std::string registeredPage(const Registration& registration, const Submission& entry, std::string_view base);

/** The answer to a refused request: the reason and a link to the ranking. */
std::string refusedPage(std::string_view reason, std::string_view base);

} // namespace zorvat::rank
