#pragma once

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

} // namespace zorvat
