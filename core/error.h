// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace zorvat {

// Every failure that can reach the player: the text (UTF-8) is what the error box shows.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text)
        : std::runtime_error(text)
    {
    }
};

} // namespace zorvat
