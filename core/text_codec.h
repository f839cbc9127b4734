// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvat {

// The settings file, the ranking page and the error box's full-stop rule work in code
// page 932 (Shift-JIS), a settings file with a byte-order mark in UTF-16 or UTF-8; the
// program keeps UTF-8 everywhere else.

/** UTF-8 to code page 932; nullopt when a character has no code page 932 form. */
std::optional<std::string> toCp932(std::string_view utf8);
/** Code page 932 to UTF-8; nullopt when the bytes are not valid code page 932. */
std::optional<std::string> fromCp932(std::string_view cp932);
/** Like toCp932, for text that the program itself holds and knows to be representable. */
std::string toCp932OrThrow(std::string_view utf8);
/** True when `b` is the first byte of a double-byte code page 932 character. */
bool isCp932LeadByte(unsigned char b);
/** The length of the code page 932 character at `i`: two bytes for a lead byte with a byte after it, else one. */
std::size_t cp932CharLength(std::string_view cp932, std::size_t i);
/** Where the last code page 932 character starts; 0 for the empty text. */
std::size_t lastCp932CharStart(std::string_view cp932);
/** Code page 932 to UTF-8, each character that has no Unicode form becoming "?". */
std::string fromCp932Lossy(std::string_view cp932);

/** The length of the UTF-8 character at `i` with its code point in `cp`; 0 when the bytes there
    are no well-formed character (surrogates count as one only when `allowSurrogates`). */
std::size_t decodeUtf8Char(std::string_view s, std::size_t i, std::uint32_t& cp, bool allowSurrogates = false);
/** Appends the UTF-8 form of code point `cp` (a lone surrogate too, as its three-byte form). */
void appendUtf8(std::string& out, std::uint32_t cp);
/** True when the whole text is well-formed UTF-8. */
bool isValidUtf8(std::string_view s);
/** The text with each byte that starts no well-formed UTF-8 character replaced by U+FFFD. */
std::string validUtf8(std::string_view s);

/** UTF-16 in the given byte order to UTF-8. A lone surrogate keeps its three-byte form, so nothing is
    lost; an odd last byte is no character and is dropped. */
std::string fromUtf16(std::string_view bytes, std::endian order);
/** The reverse of fromUtf16; a byte that starts no character becomes U+FFFD. */
std::string toUtf16(std::string_view utf8, std::endian order);

} // namespace zorvat
