// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_codec.h"

#include "error.h"

#include <cerrno>
#include <iconv.h>

namespace zorvat {

namespace {

// One open converter per direction and thread: opening one costs far more than a name's
// conversion, and the settings file converts a few names on every read.
class Converter {
public:
    Converter(const char* to, const char* from)
        : m_cd(iconv_open(to, from))
    {
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }

    std::optional<std::string> convert(std::string_view in) const
    {
        if (!valid())
            return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // a failed conversion may have left a shift state
        std::string out(in.size() * 4 + 16, '\0');
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char* dst = out.data();
        size_t dstLeft = out.size();
        const size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
        const bool ok = rc != static_cast<size_t>(-1) && srcLeft == 0
            && iconv(m_cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1);
        if (!ok)
            return std::nullopt;
        out.resize(out.size() - dstLeft);
        return out;
    }

private:
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    iconv_t m_cd;
};

} // namespace

std::optional<std::string> toCp932(std::string_view utf8)
{
    thread_local const Converter converter("CP932", "UTF-8");
    return converter.convert(utf8);
}

std::optional<std::string> fromCp932(std::string_view cp932)
{
    thread_local const Converter converter("UTF-8", "CP932");
    return converter.convert(cp932);
}

std::string toCp932OrThrow(std::string_view utf8)
{
    auto bytes = toCp932(utf8);
    if (!bytes)
        throw Error("テキストを Shift-JIS に変換できません");
    return *bytes;
}

bool isCp932LeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::size_t cp932CharLength(std::string_view cp932, std::size_t i)
{
    return isCp932LeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
}

std::size_t lastCp932CharStart(std::string_view cp932)
{
    std::size_t last = 0;
    for (std::size_t i = 0; i < cp932.size(); i += cp932CharLength(cp932, i))
        last = i;
    return last;
}

std::string fromCp932Lossy(std::string_view cp932)
{
    if (auto whole = fromCp932(cp932))
        return *whole;
    std::string out;
    std::size_t i = 0;
    while (i < cp932.size()) {
        const std::size_t n = cp932CharLength(cp932, i);
        const auto one = fromCp932(cp932.substr(i, n));
        out += one ? *one : std::string("?");
        i += n;
    }
    return out;
}

std::size_t decodeUtf8Char(std::string_view s, std::size_t i, std::uint32_t& cp, bool allowSurrogates)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    // Sequence length, payload bits of the first byte and the smallest code point of that
    // length (anything below is an overlong form).
    std::size_t n = 0;
    std::uint32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (!allowSurrogates && cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool isValidUtf8(std::string_view s)
{
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = decodeUtf8Char(s, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string validUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = decodeUtf8Char(s, i, cp);
        out += n ? s.substr(i, n) : std::string_view("\xEF\xBF\xBD");
        i += n ? n : 1;
    }
    return out;
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string fromUtf16(std::string_view bytes, std::endian order)
{
    const bool bigEndian = order == std::endian::big;
    const auto unit = [&](std::size_t i) {
        const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
        const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
        return static_cast<std::uint32_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    };
    const std::size_t units = bytes.size() / 2;
    std::string out;
    out.reserve(units * 3 / 2);
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const std::uint32_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, u);
    }
    return out;
}

std::string toUtf16(std::string_view utf8, std::endian order)
{
    const bool bigEndian = order == std::endian::big;
    std::string out;
    out.reserve(utf8.size() * 2);
    const auto put = [&](std::uint32_t u) {
        const auto hi = static_cast<char>(u >> 8);
        const auto lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::uint32_t cp = 0;
        const std::size_t n = decodeUtf8Char(utf8, i, cp, true);
        if (n == 0) {
            cp = 0xFFFD;
            i += 1;
        } else {
            i += n;
        }
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

} // namespace zorvat
