// SPDX-License-Identifier: GPL-3.0-or-later
// The settings integer conversion against a plain reference of its rules: any bytes as the
// text, two different defaults so that "gave the default" cannot pass for a number.

#include "ini_file.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

bool all(const std::string& s, int (*test)(int))
{
    for (const char c : s) {
        if (!test(static_cast<unsigned char>(c)))
            return false;
    }
    return !s.empty();
}

// "0x"/"0X" at the very start becomes "$"; then spaces, and either "$" with hexadecimal digits
// up to 32 bits taken as signed, or one optional sign with decimal digits within 32-bit range.
std::optional<std::int32_t> reference(std::string s)
{
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s = "$" + s.substr(2);
    const std::size_t start = s.find_first_not_of(' ');
    if (start == std::string::npos)
        return std::nullopt;
    std::string rest = s.substr(start);
    if (rest[0] == '$') {
        const std::string digits = rest.substr(1);
        if (!all(digits, isxdigit))
            return std::nullopt;
        std::uint64_t value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (ec != std::errc() || end != digits.data() + digits.size() || value > 0xFFFFFFFFu)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    const bool negative = rest[0] == '-';
    const std::string digits = rest[0] == '+' || rest[0] == '-' ? rest.substr(1) : rest;
    if (!all(digits, isdigit))
        return std::nullopt;
    rest = (negative ? "-" : "") + digits;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value, 10);
    if (ec != std::errc() || end != rest.data() + rest.size() || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto expected = reference(text);
    for (const std::int32_t def : { std::int32_t { -777 }, std::int32_t { 31337 } }) {
        const std::int32_t got = zorvat::StrToIntDef(text, def);
        if (got != expected.value_or(def)) {
            std::fprintf(stderr, "StrToIntDef gave %d, the rules %d\n", static_cast<int>(got),
                static_cast<int>(expected.value_or(def)));
            std::abort();
        }
    }
    return 0;
}
