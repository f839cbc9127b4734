// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zorvat {

// The settings file: a private-profile (INI) file in code page 932 with CR LF lines,
// read and written exactly as the desktop's own profile functions do, so files written
// by either side read the same on the other. Section and key names, values and
// defaults are UTF-8 here. Nothing is cached: every call goes to the file.
class TIniFile {
public:
    /** The most a read gives, in code page 932 bytes; a double-byte character is never split. */
    static constexpr std::size_t ReadLimit = 1023;

    /** Touches no file. */
    explicit TIniFile(std::filesystem::path file);

    /** The value, or `def` (less its trailing blanks) when the file, section or key is missing. */
    std::string ReadText(std::string_view section, std::string_view key, std::string_view def) const;
    /** Replaces or adds the key; the file is replaced atomically. Throws Error "<name> に書き込めません",
        also when the file could not hold the text faithfully (a line break, a character its code
        page lacks), and then the file stays as it was. */
    void WriteText(std::string_view section, std::string_view key, std::string_view value);
    /** ReadText converted to an integer, or `def` when it does not convert. */
    std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t def) const;
    /** WriteText of the value in decimal. */
    void WriteInt(std::string_view section, std::string_view key, std::int32_t value);

    const std::filesystem::path& path() const { return m_file; }

    /** ReadText on a file whose bytes are these; nullopt for a missing file. */
    static std::string readTextIn(const std::optional<std::string_view>& fileBytes, std::string_view section,
        std::string_view key, std::string_view def);

    /** "Zorvat.ini" in the user's configuration folder ($XDG_CONFIG_HOME, else ~/.config). */
    static std::filesystem::path defaultLocation();

private:
    std::filesystem::path m_file;
};

/** The settings value conversion: decimal with optional sign, or "$"/"0x" hexadecimal taken as 32-bit signed; else
 * `def`. */
std::int32_t StrToIntDef(std::string_view text, std::int32_t def);

} // namespace zorvat
