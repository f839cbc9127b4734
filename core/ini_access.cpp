// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini_access.h"

namespace zorvat {

std::int32_t IniAccess::ReadInt(std::string_view section, std::string_view key, std::int32_t def) const
{
    return StrToIntDef(ReadText(section, key, ""), def);
}

void IniAccess::WriteInt(std::string_view section, std::string_view key, std::int32_t value)
{
    WriteText(section, key, std::to_string(value));
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def)
{
    std::string s(text);
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s.replace(0, 2, "$");
    std::string_view v = s;
    while (!v.empty() && v.front() == ' ')
        v.remove_prefix(1);

    if (!v.empty() && v.front() == '$') {
        v.remove_prefix(1);
        if (v.empty())
            return def;
        std::uint64_t value = 0;
        for (const char c : v) {
            int digit = 0;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else
                return def;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFF'FFFFu)
                return def;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    const bool negative = !v.empty() && v.front() == '-';
    if (!v.empty() && (v.front() == '-' || v.front() == '+'))
        v.remove_prefix(1);
    if (v.empty())
        return def;
    const std::int64_t limit = negative ? 2'147'483'648LL : 2'147'483'647LL;
    std::int64_t value = 0;
    for (const char c : v) {
        if (c < '0' || c > '9')
            return def;
        value = value * 10 + (c - '0');
        if (value > limit)
            return def;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace zorvat
