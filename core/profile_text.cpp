// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_text.h"

#include "text_codec.h"

namespace zorvat {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LeBom = "\xFF\xFE";
constexpr std::string_view Utf16BeBom = "\xFE\xFF";
constexpr std::string_view LineBreak = "\r\n";

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isProfileBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isProfileBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

// A value that trimming or quote removal would change is written inside one pair of double
// quotes, which reading takes off again: a name typed with blanks at its ends, or one that is
// itself quoted, comes back as it was typed.
bool needsQuotes(std::string_view value)
{
    if (value.empty())
        return false;
    return isProfileBlank(value.front()) || isProfileBlank(value.back())
        || (value.size() >= 2 && isQuote(value.front()) && value.front() == value.back());
}

// The length of the character at `i`: a code page 932 lead byte takes the next byte with it.
std::size_t charLength(bool doubleByte, std::string_view s, std::size_t i)
{
    return doubleByte ? cp932CharLength(s, i) : 1;
}

// Ends in the middle of a double-byte character: "[" such a name "]" would lose its "]".
bool endsInsideCharacter(bool doubleByte, std::string_view s)
{
    if (!doubleByte || s.empty())
        return false;
    const std::size_t last = lastCp932CharStart(s);
    return last + 1 == s.size() && isCp932LeadByte(static_cast<unsigned char>(s[last]));
}

bool hasLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

bool isProfileBlank(char c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

struct ProfileDocument::Line {
    enum Kind { Blank, Header, Entry };
    std::size_t begin = 0; // first byte of the line
    std::size_t end = 0; // its line break, or the end of the text
    std::size_t afterBreak = 0; // past the first CR LF, CR or LF of the break
    std::size_t next = 0; // past the whole run of CR and LF: the next line
    std::string_view content; // trimmed
    Kind kind = Blank;

    std::string_view key() const { return trimmed(content.substr(0, content.find('='))); }
    std::optional<std::string_view> value() const
    {
        const std::size_t eq = content.find('=');
        if (eq == std::string_view::npos)
            return std::nullopt;
        return trimmed(content.substr(eq + 1));
    }
};

ProfileDocument::Line ProfileDocument::lineAt(std::size_t begin) const
{
    const std::string_view text = m_text;
    Line line;
    line.begin = begin;
    line.end = begin;
    while (line.end < text.size() && !isLineBreak(text[line.end]))
        ++line.end;
    line.afterBreak = line.end;
    if (line.afterBreak < text.size())
        line.afterBreak += text.substr(line.end, 2) == LineBreak ? 2 : 1;
    line.next = line.end;
    while (line.next < text.size() && isLineBreak(text[line.next]))
        ++line.next;
    line.content = trimmed(text.substr(begin, line.end - begin));
    if (line.content.empty())
        line.kind = Line::Blank;
    else if (line.content.front() == '[')
        line.kind = Line::Header;
    else
        line.kind = Line::Entry;
    return line;
}

std::string_view ProfileDocument::sectionName(const Line& line) const
{
    const std::string_view inner = line.content.substr(1);
    std::size_t close = std::string_view::npos;
    for (std::size_t i = 0; i < inner.size(); i += charLength(isDoubleByte(), inner, i)) {
        if (inner[i] == ']')
            close = i;
    }
    return trimmed(inner.substr(0, close));
}

// Letters A to Z match their small forms and nothing else folds; in code page 932 the second
// byte of a double-byte character is never taken for a letter.
bool ProfileDocument::namesMatch(std::string_view a, std::string_view b) const
{
    if (a.size() != b.size())
        return false;
    std::size_t i = 0;
    while (i < a.size()) {
        const std::size_t n = charLength(isDoubleByte(), a, i);
        if (n == 2) {
            if (a.substr(i, 2) != b.substr(i, 2))
                return false;
        } else if (foldAscii(a[i]) != foldAscii(b[i])) {
            return false;
        }
        i += n;
    }
    return true;
}

ProfileDocument ProfileDocument::fromFileBytes(std::string_view bytes)
{
    ProfileDocument doc;
    if (bytes.starts_with(Utf8Bom)) {
        doc.m_encoding = ProfileEncoding::Utf8;
        doc.m_text = bytes.substr(Utf8Bom.size());
    } else if (bytes.starts_with(Utf16LeBom)) {
        doc.m_encoding = ProfileEncoding::Utf16Le;
        doc.m_text = fromUtf16(bytes.substr(Utf16LeBom.size()), std::endian::little);
    } else if (bytes.starts_with(Utf16BeBom)) {
        doc.m_encoding = ProfileEncoding::Utf16Be;
        doc.m_text = fromUtf16(bytes.substr(Utf16BeBom.size()), std::endian::big);
    } else {
        doc.m_text = bytes;
    }
    return doc;
}

std::string ProfileDocument::toFileBytes() const
{
    switch (m_encoding) {
    case ProfileEncoding::Utf8:
        return std::string(Utf8Bom) + m_text;
    case ProfileEncoding::Utf16Le:
        return std::string(Utf16LeBom) + toUtf16(m_text, std::endian::little);
    case ProfileEncoding::Utf16Be:
        return std::string(Utf16BeBom) + toUtf16(m_text, std::endian::big);
    case ProfileEncoding::Cp932:
        break;
    }
    return m_text;
}

std::optional<std::string> ProfileDocument::find(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (std::size_t pos = 0; pos < m_text.size();) {
        const Line line = lineAt(pos);
        pos = line.next;
        if (line.kind == Line::Header) {
            if (inSection)
                return std::nullopt;
            inSection = namesMatch(sectionName(line), section);
        } else if (line.kind == Line::Entry && inSection && namesMatch(line.key(), key)) {
            const auto value = line.value();
            if (!value)
                return std::nullopt;
            std::string_view v = *value;
            if (v.size() >= 2 && isQuote(v.front()) && v.front() == v.back())
                v = v.substr(1, v.size() - 2);
            return std::string(v);
        }
    }
    return std::nullopt;
}

void ProfileDocument::set(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string quoted = needsQuotes(value) ? '"' + std::string(value) + '"' : std::string(value);
    bool inSection = false;
    Line anchor; // the line after which a new key goes: the header or the section's last entry
    for (std::size_t pos = 0; pos < m_text.size();) {
        const Line line = lineAt(pos);
        pos = line.next;
        if (line.kind == Line::Header) {
            if (inSection)
                break;
            if (namesMatch(sectionName(line), section)) {
                inSection = true;
                anchor = line;
            }
        } else if (line.kind == Line::Entry && inSection) {
            if (namesMatch(line.key(), key)) {
                // The key keeps the spelling it has in the file.
                const std::string entry = std::string(line.key()) + '=' + quoted;
                m_text.replace(line.begin, line.end - line.begin, entry);
                return;
            }
            anchor = line;
        }
    }
    const std::string entry = std::string(key) + '=' + quoted + std::string(LineBreak);
    if (inSection) {
        const bool lastLineOfFile = anchor.afterBreak == anchor.end;
        m_text.insert(anchor.afterBreak, lastLineOfFile ? std::string(LineBreak) + entry : entry);
        return;
    }
    if (!m_text.empty() && !isLineBreak(m_text.back()))
        m_text += LineBreak;
    m_text += '[' + std::string(section) + ']' + std::string(LineBreak) + entry;
}

bool ProfileDocument::canHoldSection(std::string_view name) const
{
    if (hasLineBreakOrNul(name) || endsInsideCharacter(isDoubleByte(), name))
        return false;
    if (!name.empty() && (isProfileBlank(name.front()) || isProfileBlank(name.back())))
        return false;
    return !isUtf16() || isValidUtf8(name);
}

bool ProfileDocument::canHoldKey(std::string_view name) const
{
    if (name.empty() || hasLineBreakOrNul(name) || name.find('=') != std::string_view::npos)
        return false;
    if (name.front() == '[' || isProfileBlank(name.front()) || isProfileBlank(name.back()))
        return false;
    return !isUtf16() || isValidUtf8(name);
}

bool ProfileDocument::canHoldValue(std::string_view value) const
{
    return !hasLineBreakOrNul(value) && (!isUtf16() || isValidUtf8(value));
}

} // namespace zorvat
