// SPDX-License-Identifier: GPL-3.0-or-later
#include "http_message.h"

#include <strings.h>

namespace zorvat::rank {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
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
    out.clear();
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '%') {
            out += path[i];
            continue;
        }
        const int hi = i + 2 < path.size() ? hexDigit(path[i + 1]) : -1;
        const int lo = hi >= 0 ? hexDigit(path[i + 2]) : -1;
        if (lo < 0 || hi * 16 + lo == 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
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
        last = trimmed(std::string_view(value).substr(comma == std::string::npos ? 0 : comma + 1));
    }
    return std::string(last);
}

bool isLoopback(std::string_view address)
{
    return address == "::1" || address.substr(0, 4) == "127.";
}

} // namespace zorvat::rank
