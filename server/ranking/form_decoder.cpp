// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_decoder.h"

#include "http_text.h"
#include "refusal.h"
#include "text_codec.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

namespace zorvat::rank {

namespace {

const char* const BrokenForm = "送信内容の形式が正しくありません";
const char* const UnreadableText = "送信された文字を読み取れません";

std::string lowered(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

std::string formDecoded(std::string_view s)
{
    std::string out;
    if (!percentDecoded(s, true, out))
        throw Refusal(400, BrokenForm);
    return out;
}

// The code point of a decimal character reference "&#NNN;" at `i`, when it stands for a character
// that code page 932 lacks (browsers write only those); `length` receives its length.
std::optional<std::uint32_t> foreignCharacterReference(std::string_view s, std::size_t i, std::size_t& length)
{
    if (s.substr(i, 2) != "&#")
        return std::nullopt;
    std::uint32_t cp = 0;
    std::size_t k = i + 2;
    while (k < s.size() && k < i + 10 && s[k] >= '0' && s[k] <= '9')
        cp = cp * 10 + static_cast<std::uint32_t>(s[k++] - '0');
    if (k == i + 2 || k >= s.size() || s[k] != ';')
        return std::nullopt;
    if (cp < 0xA0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    length = k + 1 - i;
    return cp;
}

// A browser posting a code page 932 form writes each typed character that the code page cannot
// hold as a character reference; the player meant the character.
std::string withForeignCharacters(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::size_t length = 0;
        if (const auto cp = foreignCharacterReference(s, i, length)) {
            appendUtf8(out, *cp);
            i += length;
        } else {
            out += s[i++];
        }
    }
    return out;
}

std::string asUtf8(const std::string& bytes, FormCharset charset)
{
    if (charset == FormCharset::Utf8) {
        if (!isValidUtf8(bytes))
            throw Refusal(400, UnreadableText);
        return bytes;
    }
    const auto text = fromCp932(bytes);
    if (!text)
        throw Refusal(400, UnreadableText);
    return withForeignCharacters(*text);
}

} // namespace

FormCharset formCharset(std::string_view contentType)
{
    const std::string type = lowered(contentType);
    std::size_t semicolon = type.find(';');
    if (trimmedBlanks(std::string_view(type).substr(0, semicolon)) != "application/x-www-form-urlencoded")
        throw Refusal(415, "この形式の送信には対応していません");
    FormCharset charset = FormCharset::Cp932;
    while (semicolon != std::string::npos) {
        const std::size_t next = type.find(';', semicolon + 1);
        const std::string_view parameter = trimmedBlanks(
            std::string_view(type).substr(semicolon + 1, next == std::string::npos ? next : next - semicolon - 1));
        semicolon = next;
        if (parameter.substr(0, 8) != "charset=")
            continue;
        std::string_view name = parameter.substr(8);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        if (name == "utf-8" || name == "utf8")
            charset = FormCharset::Utf8;
        else if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "windows-31j"
            || name == "cp932" || name == "ms932" || name == "x-sjis")
            charset = FormCharset::Cp932;
        else
            throw Refusal(415, "この文字コードの送信には対応していません");
    }
    return charset;
}

FormFields decodeForm(std::string_view body, FormCharset charset)
{
    FormFields fields;
    std::size_t start = 0;
    while (start <= body.size()) {
        const std::size_t end = std::min(body.find('&', start), body.size());
        const std::string_view pair = body.substr(start, end - start);
        start = end + 1;
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        std::string name = asUtf8(formDecoded(pair.substr(0, equals)), charset);
        std::string value
            = equals == std::string_view::npos ? std::string() : asUtf8(formDecoded(pair.substr(equals + 1)), charset);
        if (!fields.emplace(std::move(name), std::move(value)).second)
            throw Refusal(400, BrokenForm);
    }
    return fields;
}

} // namespace zorvat::rank
