// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvat {

// Reading and writing the settings by section and key: straight in the settings file, or in its
// text held in memory. Section and key names, values and defaults are UTF-8.
class IniAccess {
public:
    /** The most a read gives, in code page 932 bytes; a double-byte character is never split. */
    static constexpr std::size_t ReadLimit = 1023;

    virtual ~IniAccess() = default;

    /** The value, up to its first NUL, or `def` (less its trailing blanks) when the file, section
        or key is missing. */
    virtual std::string ReadText(std::string_view section, std::string_view key, std::string_view def) const = 0;
    /** Replaces or adds the key. Throws Error "<name> に書き込めません" when the file could not hold
        the text faithfully (a line break, a character its code page lacks), and then nothing changes. */
    virtual void WriteText(std::string_view section, std::string_view key, std::string_view value) = 0;

    /** ReadText converted to an integer, or `def` when it does not convert. */
    std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t def) const;
    /** WriteText of the value in decimal. */
    void WriteInt(std::string_view section, std::string_view key, std::int32_t value);
};

/** The settings value conversion: decimal with optional sign, or "$"/"0x" hexadecimal taken as 32-bit signed; else
 * `def`. */
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);

} // namespace zorvat
