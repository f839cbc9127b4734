#include "text_codec.h"

#include "error.h"

#include <cerrno>
#include <iconv.h>

namespace zorvat {

namespace {

std::optional<std::string> convert(const char* to, const char* from, std::string_view in)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const bool ok = rc != static_cast<size_t>(-1) && srcLeft == 0
                    && iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace

std::optional<std::string> toCp932(std::string_view utf8)
{
    return convert("CP932", "UTF-8", utf8);
}

std::optional<std::string> fromCp932(std::string_view cp932)
{
    return convert("UTF-8", "CP932", cp932);
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

} // namespace zorvat
