// SPDX-License-Identifier: GPL-3.0-or-later
#include "sql_session.h"

#include "entry_store.h"

#include <charconv>

namespace zorvat::rank {

std::int64_t integerOf(const SqlValue& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number;
    const std::string& text = std::get<std::string>(value);
    if (text.empty())
        return 0;
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        throw StoreFailure("the store answered a number as \"" + text + "\"");
    return number;
}

std::string textOf(const SqlValue& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    return std::get<std::string>(value);
}

std::int64_t SqlSession::integer(std::string_view sql, const std::vector<SqlValue>& params)
{
    const std::vector<SqlRow> rows = query(sql, params);
    if (rows.empty() || rows.front().empty())
        throw StoreFailure("the store gave no answer to: " + std::string(sql));
    return integerOf(rows.front().front());
}

} // namespace zorvat::rank
