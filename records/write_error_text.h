// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zorvat::InternetRank {

/** The error text for a failed write of the ranking page, chosen from the system's error number. */
std::string writeErrorText(int errnoValue);

} // namespace zorvat::InternetRank
