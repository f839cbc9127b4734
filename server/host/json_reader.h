// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvat::rank {

/** One value of a JSON text as read: strings in UTF-8, numbers as written. */
struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text; // a string's characters, or a number's digits as written
    std::vector<JsonValue> items; // an array's
    std::vector<std::pair<std::string, JsonValue>> members; // an object's, in the text's order

    /** The object's member called `name` (the last one of that name), or nullptr. */
    const JsonValue* member(std::string_view name) const;
    /** The number when it is a whole one without fraction or exponent, within 64 bits. */
    std::optional<std::int64_t> integer() const;
};

/** The JSON text `text` (RFC 8259, UTF-8, nested at most 64 deep); throws Error saying what is
    wrong at which byte. */
JsonValue parseJson(std::string_view text);

} // namespace zorvat::rank
