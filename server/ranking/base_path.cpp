// SPDX-License-Identifier: GPL-3.0-or-later
#include "base_path.h"

#include "error.h"

namespace zorvat::rank {

std::string normalizedBase(const std::string& base)
{
    if (base.empty() || base.front() != '/')
        throw Error("--base must be an absolute path such as /zorvat: " + base);
    // The routes compare the decoded path as it is: an escape or a query here would never match.
    for (const char c : base) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F || c == '?' || c == '#' || c == '%')
            throw Error("--base must be a plain path without blanks, '?', '#' or '%': " + base);
    }
    std::string out = base;
    while (!out.empty() && out.back() == '/')
        out.pop_back();
    return out;
}

} // namespace zorvat::rank
