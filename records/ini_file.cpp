// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini_file.h"

#include "error.h"
#include "file_read.h"
#include "file_replace.h"
#include "profile_text.h"
#include "text_codec.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace zorvat {

namespace {

// What a character costs of the read limit: its length in code page 932, where ASCII and the
// half-width katakana take one byte and everything else two.
std::size_t cp932Width(std::uint32_t cp)
{
    return cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F) ? 1 : 2;
}

std::string_view limitCp932(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = cp932CharLength(bytes, i);
        if (i + n > TIniFile::ReadLimit)
            break;
        i += n;
    }
    return bytes.substr(0, i);
}

// `text` is well-formed UTF-8.
std::string_view limitUtf8(std::string_view text)
{
    std::size_t i = 0;
    std::size_t width = 0;
    std::uint32_t cp = 0;
    while (i < text.size()) {
        const std::size_t n = decodeUtf8Char(text, i, cp);
        width += cp932Width(cp);
        if (width > TIniFile::ReadLimit)
            break;
        i += n;
    }
    return text.substr(0, i);
}

// The program's UTF-8 text as the document holds it; nullopt when the file's code page has no
// exact form for it (a character it lacks, or one that would come back as another).
std::optional<std::string> toWorking(const ProfileDocument& doc, std::string_view utf8)
{
    if (!isValidUtf8(utf8))
        return std::nullopt;
    if (!doc.isDoubleByte())
        return std::string(utf8);
    auto bytes = toCp932(utf8);
    if (!bytes || fromCp932(*bytes) != utf8)
        return std::nullopt;
    return bytes;
}

std::string fromWorking(const ProfileDocument& doc, std::string_view value)
{
    if (doc.isDoubleByte())
        return fromCp932Lossy(limitCp932(value));
    return std::string(limitUtf8(validUtf8(value)));
}

} // namespace

TIniFile::TIniFile(std::filesystem::path file)
    : m_file(std::move(file))
{
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key, std::string_view def) const
{
    std::string bytes;
    if (readWholeFile(m_file, bytes) == FileRead::Read)
        return readTextIn(bytes, section, key, def);
    return readTextIn(std::nullopt, section, key, def);
}

std::string TIniFile::readTextIn(const std::optional<std::string_view>& fileBytes, std::string_view section,
    std::string_view key, std::string_view def)
{
    if (fileBytes) {
        const ProfileDocument doc = ProfileDocument::fromFileBytes(*fileBytes);
        const auto s = toWorking(doc, section);
        const auto k = toWorking(doc, key);
        if (s && k) {
            if (const auto value = doc.find(*s, *k))
                return fromWorking(doc, *value);
        }
    }
    while (!def.empty() && isProfileBlank(def.back()))
        def.remove_suffix(1);
    return std::string(limitUtf8(validUtf8(def)));
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view value)
{
    const Error cannotWrite(m_file.filename().string() + " に書き込めません");
    std::string bytes;
    const FileRead read = readWholeFile(m_file, bytes);
    // A file that is there but cannot be read must not be replaced by one holding only this key.
    if (read == FileRead::Failed)
        throw cannotWrite;
    ProfileDocument doc = read == FileRead::Read ? ProfileDocument::fromFileBytes(bytes) : ProfileDocument();
    const auto s = toWorking(doc, section);
    const auto k = toWorking(doc, key);
    const auto v = toWorking(doc, value);
    if (!s || !k || !v || !doc.canHoldSection(*s) || !doc.canHoldKey(*k) || !doc.canHoldValue(*v))
        throw cannotWrite;
    doc.set(*s, *k, *v);
    // The player's settings may live elsewhere behind a link, which then stays in place.
    if (replaceFileContents(m_file, doc.toFileBytes(), LinkHandling::Follow))
        throw cannotWrite;
}

std::int32_t TIniFile::ReadInt(std::string_view section, std::string_view key, std::int32_t def) const
{
    return StrToIntDef(ReadText(section, key, ""), def);
}

void TIniFile::WriteInt(std::string_view section, std::string_view key, std::int32_t value)
{
    WriteText(section, key, std::to_string(value));
}

std::filesystem::path TIniFile::defaultLocation()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the desktop's other programs do.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::filesystem::path(config) / "Zorvat.ini";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = ::getpwuid(::getuid());
        home = user && user->pw_dir ? user->pw_dir : ".";
    }
    return std::filesystem::path(home) / ".config" / "Zorvat.ini";
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def)
{
    std::string s(text);
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s.replace(0, 2, "$");
    std::string_view v = s;
    while (!v.empty() && v.front() == ' ')
        v.remove_prefix(1);

    if (!v.empty() && v.front() == '$') {
        v.remove_prefix(1);
        if (v.empty())
            return def;
        std::uint64_t value = 0;
        for (const char c : v) {
            int digit = 0;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else
                return def;
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFF'FFFFu)
                return def;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    const bool negative = !v.empty() && v.front() == '-';
    if (!v.empty() && (v.front() == '-' || v.front() == '+'))
        v.remove_prefix(1);
    if (v.empty())
        return def;
    const std::int64_t limit = negative ? 2'147'483'648LL : 2'147'483'647LL;
    std::int64_t value = 0;
    for (const char c : v) {
        if (c < '0' || c > '9')
            return def;
        value = value * 10 + (c - '0');
        if (value > limit)
            return def;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace zorvat
