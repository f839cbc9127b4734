// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace zorvat::InternetRank {

/** The reason a write failed, chosen from the system's error number. */
std::string writeErrorText(int errnoValue);

} // namespace zorvat::InternetRank

namespace zorvat {

/** The error box's text for a settings file that could not be written: "<name> に書き込めません". */
std::string cannotWriteText(std::string_view fileName);

} // namespace zorvat
