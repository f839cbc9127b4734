// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace zorvat::rank {

// The ranking page declares no character set, so browsers post what the player typed in
// code page 932; a client that says so may post UTF-8 instead.
enum class FormCharset { Cp932, Utf8 };

// Field name to value, both UTF-8.
using FormFields = std::map<std::string, std::string, std::less<>>;

/** The character set of a url-encoded form body from the request's Content-Type (empty: none sent).
    Throws Refusal (415) for another kind of body or a character set the ranking does not read. */
FormCharset formCharset(std::string_view contentType);

/** The fields of a url-encoded body ("+" and "%XX" undone) converted to UTF-8. Throws Refusal (400)
    for a broken escape, bytes that are no text in `charset`, or a field sent twice. */
FormFields decodeForm(std::string_view body, FormCharset charset);

} // namespace zorvat::rank
