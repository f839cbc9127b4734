// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zorvat::rank {

/** The value of a text made of decimal digits only, as the game, the ranking's links and the host
    write numbers: no sign, no blank, no other character, not empty. A value past `ceiling` reads
    as `ceiling`, so that a caller refuses it (ceiling one past its largest) or caps it. */
inline std::optional<std::uint64_t> decimalNumber(std::string_view text, std::uint64_t ceiling)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        value = digit > ceiling || value > (ceiling - digit) / 10 ? ceiling : value * 10 + digit;
    }
    return value;
}

} // namespace zorvat::rank
