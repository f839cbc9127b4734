// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zorvat::rank {

/** The ranking's folder as the routes use it: "" for "/", otherwise "/name" without a trailing "/";
    throws Error for a text that is no plain absolute path. */
std::string normalizedBase(const std::string& base);

} // namespace zorvat::rank
