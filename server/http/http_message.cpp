// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_message.h"

#include "http_text.h"

#include <strings.h>

namespace zorvat::rank {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

std::string HttpRequest::header(std::string_view name) const
{
    for (const auto& [field, value] : headers) {
        if (sameName(field, name))
            return value;
    }
    return {};
}

bool decodedPath(std::string_view path, std::string& out)
{
    // A '+' in a path is itself; an escaped NUL would cut the path short wherever it is read as C text.
    return percentDecoded(path, false, out) && out.find('\0') == std::string::npos;
}

std::string lastForwardedAddress(const HttpHeaders& headers)
{
    // A client may send lines of its own; the proxy appends to the last one or adds a line after
    // them, so only the very last address is the proxy's word.
    std::string_view last;
    for (const auto& [field, value] : headers) {
        if (!sameName(field, "X-Forwarded-For"))
            continue;
        const std::size_t comma = value.rfind(',');
        last = trimmedBlanks(std::string_view(value).substr(comma == std::string::npos ? 0 : comma + 1));
    }
    return std::string(last);
}

bool isLoopback(std::string_view address)
{
    return address == "::1" || address.substr(0, 4) == "127.";
}

} // namespace zorvat::rank
