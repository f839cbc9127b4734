// SPDX-License-Identifier: GPL-3.0-or-later
#include "entry_rules.h"

#include "check_code.h"
#include "decimal_number.h"
#include "refusal.h"
#include "text_codec.h"

#include <limits>

namespace zorvat::rank {

namespace {

const std::string& field(const FormFields& fields, const char* name)
{
    const auto it = fields.find(name);
    if (it == fields.end())
        throw Refusal(400, std::string("送信内容が足りません（") + name + "）");
    return it->second;
}

// At most a 32-bit signed value, as the game keeps its counts.
std::int32_t count(const std::string& text, const char* refusal)
{
    constexpr std::uint64_t Largest = std::numeric_limits<std::int32_t>::max();
    const auto value = decimalNumber(text, Largest + 1);
    if (!value || *value > Largest)
        throw Refusal(400, refusal);
    return static_cast<std::int32_t>(*value);
}

bool isBlank(std::uint32_t cp)
{
    return cp == ' ' || cp == 0x3000; // the ideographic space of Japanese input
}

// Characters that show nothing: blanks of every width, zero-width spaces and joiners, the
// byte-order mark. A name made of them alone is an empty line on the ranking page.
bool isInvisible(std::uint32_t cp)
{
    return isBlank(cp) || cp == 0x00A0 || cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200D) || cp == 0x202F || cp == 0x205F
        || cp == 0x2060 || cp == 0xFEFF;
}

// The text without blanks at either end, checked for control characters and its length in characters.
std::string playerText(const std::string& text, std::size_t maxLength, const char* what)
{
    struct Char {
        std::size_t at, length;
        std::uint32_t cp;
    };
    std::vector<Char> chars;
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = 0;
        const std::size_t n = decodeUtf8Char(text, i, cp);
        if (n == 0 || isControlCharacter(cp))
            throw Refusal(400, std::string(what) + "に使えない文字が含まれています");
        chars.push_back({ i, n, cp });
        i += n;
    }
    std::size_t first = 0;
    std::size_t last = chars.size();
    while (first < last && isBlank(chars[first].cp))
        ++first;
    while (last > first && isBlank(chars[last - 1].cp))
        --last;
    if (last - first > maxLength)
        throw Refusal(400, std::string(what) + "は" + std::to_string(maxLength) + "文字以内で入力してください");
    if (first == last)
        return {};
    return text.substr(chars[first].at, chars[last - 1].at + chars[last - 1].length - chars[first].at);
}

bool hasVisibleCharacter(const std::string& text)
{
    // The text is valid UTF-8 here: playerText refused anything else.
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp = 0;
        i += decodeUtf8Char(text, i, cp);
        if (!isInvisible(cp))
            return true;
    }
    return false;
}

} // namespace

// Bidirectional embeddings, overrides and isolates turn the text after them around on the ranking
// page: a name could pass itself off as another, or make the comment beside it read otherwise.
bool isControlCharacter(std::uint32_t cp)
{
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

Submission submissionFrom(const FormFields& fields, InternetRank::CheckNumbers check)
{
    Submission entry;
    entry.score = count(field(fields, "sc"), "スコアが正しくありません");
    entry.play = count(field(fields, "play"), "プレイ回数が正しくありません");
    if (field(fields, "pass") != std::to_string(InternetRank::CheckCode(entry.score, check)))
        throw Refusal(400, "チェックコードがスコアと一致しません");
    entry.name = playerText(field(fields, "name"), MaxNameLength, "名前");
    if (entry.name.empty())
        throw Refusal(400, "名前を入力してください");
    if (!hasVisibleCharacter(entry.name))
        throw Refusal(400, "名前は目に見える文字で入力してください");
    entry.comment = playerText(field(fields, "com"), MaxCommentLength, "一言");
    return entry;
}

} // namespace zorvat::rank
