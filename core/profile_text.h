// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zorvat {

// How the bytes of a settings file are to be understood.
enum class ProfileEncoding { Cp932, Utf8, Utf16Le, Utf16Be };

// The text of a private-profile (INI) file, read and edited line by line the way the
// desktop's profile functions do it, so that files written by either side read the same on
// the other. Names and values are in the document's working text: the file's own code page
// 932 bytes, or UTF-8 for a file that starts with a UTF-8 or UTF-16 byte-order mark. A
// UTF-16 file is held as UTF-8 with lone surrogates kept as three-byte forms, so saving it
// gives back every line that was not edited unit for unit.
class ProfileDocument {
public:
    /** An empty file, as a first write creates it: code page 932, no byte-order mark. */
    ProfileDocument() = default;
    /** Recognises a byte-order mark; without one the bytes are code page 932. */
    static ProfileDocument fromFileBytes(std::string_view bytes);
    /** The file's bytes: byte-order mark (if it had one) and text in its encoding. */
    std::string toFileBytes() const;

    ProfileEncoding encoding() const { return m_encoding; }
    /** True for code page 932 text, whose double-byte characters must be stepped over whole. */
    bool isDoubleByte() const { return m_encoding == ProfileEncoding::Cp932; }
    const std::string& text() const { return m_text; }

    /** The value of the first matching key of the first matching section, one pair of
        enclosing quotes removed; nullopt when the section or key is missing or the key has no "=". */
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    /** Replaces the first matching key's value where it stands, or adds the key after the last
        entry of the section, or adds the section at the end. The names must pass
        canHoldSection and canHoldKey and the value canHoldValue. Every other line stays as it was. */
    void set(std::string_view section, std::string_view key, std::string_view value);

    /** True when "[" name "]" reads back as this section name (working text). */
    bool canHoldSection(std::string_view name) const;
    /** True when a line name "=" ... reads back as this key name (working text). */
    bool canHoldKey(std::string_view name) const;
    /** True when the value, quoted where needed, reads back exactly (working text). */
    bool canHoldValue(std::string_view value) const;

private:
    struct Line;
    bool isUtf16() const { return m_encoding == ProfileEncoding::Utf16Le || m_encoding == ProfileEncoding::Utf16Be; }
    Line lineAt(std::size_t begin) const;
    bool namesMatch(std::string_view a, std::string_view b) const;
    std::string_view sectionName(const Line& line) const;

    ProfileEncoding m_encoding = ProfileEncoding::Cp932;
    std::string m_text;
};

/** True for the bytes that reading trims from both ends of a line, a name or a value. */
bool isProfileBlank(char c);

} // namespace zorvat
