// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace zorvat::rank {

// The small pieces of HTTP's text that both the connection (the target's path, header values) and
// the form reading (the body, the content type) take apart: "%XX" escapes and blanks around a value.

/** `s` without the blanks and tabs at either end. */
inline std::string_view trimmedBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

/** `s` with its "%XX" escapes undone, and '+' read as a blank when `plusIsBlank` (a form's body);
    false for an escape without two hexadecimal digits. */
inline bool percentDecoded(std::string_view s, bool plusIsBlank, std::string& out)
{
    const auto hexDigit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    out.clear();
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+' && plusIsBlank) {
            out += ' ';
        } else if (s[i] != '%') {
            out += s[i];
        } else {
            const int hi = i + 2 < s.size() ? hexDigit(s[i + 1]) : -1;
            const int lo = hi >= 0 ? hexDigit(s[i + 2]) : -1;
            if (lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        }
    }
    return true;
}

} // namespace zorvat::rank
