// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvat {

// The settings file, the ranking page and the error box's full-stop rule work in code
// page 932 (Shift-JIS); the program keeps UTF-8 everywhere else.

/** UTF-8 to code page 932; nullopt when a character has no code page 932 form. */
std::optional<std::string> toCp932(std::string_view utf8);
/** Code page 932 to UTF-8; nullopt when the bytes are not valid code page 932. */
std::optional<std::string> fromCp932(std::string_view cp932);
/** Like toCp932, for text that the program itself holds and knows to be representable. */
std::string toCp932OrThrow(std::string_view utf8);
/** True when `b` is the first byte of a double-byte code page 932 character. */
bool isCp932LeadByte(unsigned char b);
/** Code page 932 to UTF-8, each character that has no Unicode form becoming "?". */
std::string fromCp932Lossy(std::string_view cp932);

/** The length of the UTF-8 character at `i` with its code point in `cp`; 0 when the bytes there
    are no well-formed character (surrogates count as one only when `allowSurrogates`). */
std::size_t decodeUtf8Char(std::string_view s, std::size_t i, std::uint32_t& cp, bool allowSurrogates = false);
/** True when the whole text is well-formed UTF-8. */
bool isValidUtf8(std::string_view s);
/** The text with each byte that starts no well-formed UTF-8 character replaced by U+FFFD. */
std::string validUtf8(std::string_view s);

} // namespace zorvat
