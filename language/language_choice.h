// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace zorvat {

// The languages the game speaks. Japanese is the one its texts are written in.
enum class Language { Japanese, English };

// One environment variable's value; nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

/** The language of the player's language list: LANGUAGE (colon-separated), then the first of
    LC_ALL, LC_MESSAGES and LANG that is set. The first entry that is English or Japanese decides;
    "C", "POSIX", empty entries and other languages say nothing, and a list that never decides
    means Japanese. */
Language chooseLanguage(const EnvironmentLookup& environment);
/** The same, for this program's own environment. */
Language chooseLanguage();

} // namespace zorvat
