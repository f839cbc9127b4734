// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zorvat {

// Asks the player for a name when a score enters the table.
class NamePrompt {
public:
    virtual ~NamePrompt() = default;
    /** The name as typed (UTF-8), or the empty text when the player cancels. */
    virtual std::string askName() = 0;
};

} // namespace zorvat
