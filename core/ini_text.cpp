// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini_text.h"

#include "error.h"
#include "text_codec.h"
#include "write_error_text.h"

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
        if (i + n > IniAccess::ReadLimit)
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
        if (width > IniAccess::ReadLimit)
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

IniText::IniText(const std::optional<std::string_view>& fileBytes, std::string fileName)
    : m_doc(fileBytes ? ProfileDocument::fromFileBytes(*fileBytes) : ProfileDocument())
    , m_fileName(std::move(fileName))
{
}

std::string IniText::ReadText(std::string_view section, std::string_view key, std::string_view def) const
{
    const auto s = toWorking(m_doc, section);
    const auto k = toWorking(m_doc, key);
    if (s && k) {
        if (const auto value = m_doc.find(*s, *k)) {
            // The desktop's functions hand the value over as a C string, which ends at a NUL.
            return fromWorking(m_doc, std::string_view(*value).substr(0, value->find('\0')));
        }
    }
    while (!def.empty() && isProfileBlank(def.back()))
        def.remove_suffix(1);
    return std::string(limitUtf8(validUtf8(def)));
}

void IniText::WriteText(std::string_view section, std::string_view key, std::string_view value)
{
    const auto s = toWorking(m_doc, section);
    const auto k = toWorking(m_doc, key);
    const auto v = toWorking(m_doc, value);
    if (!s || !k || !v || !m_doc.canHoldSection(*s) || !m_doc.canHoldKey(*k) || !m_doc.canHoldValue(*v))
        throw Error(cannotWriteText(m_fileName));
    m_doc.set(*s, *k, *v);
}

} // namespace zorvat
