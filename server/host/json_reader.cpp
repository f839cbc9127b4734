// SPDX-License-Identifier: GPL-3.0-or-later
#include "json_reader.h"

#include "error.h"
#include "text_codec.h"

#include <charconv>

namespace zorvat::rank {

namespace {

// Deep enough for any file the host's tools write, shallow enough that a hostile file cannot
// exhaust the stack.
constexpr int MaxDepth = 64;

class Reader {
public:
    explicit Reader(std::string_view text)
        : m_text(text)
    {
    }

    JsonValue document()
    {
        JsonValue value = next(0);
        blanks();
        if (m_at != m_text.size())
            fail("more after the end of the value");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw Error("not JSON at byte " + std::to_string(m_at) + ": " + what);
    }

    void blanks()
    {
        while (m_at < m_text.size()
            && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }

    bool take(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }

    void expect(char c)
    {
        blanks();
        if (!take(std::string_view(&c, 1)))
            fail(std::string("'") + c + "' expected");
    }

    JsonValue next(int depth)
    {
        if (depth > MaxDepth)
            fail("nested too deep");
        blanks();
        JsonValue value;
        if (m_at >= m_text.size())
            fail("a value expected");
        const char c = m_text[m_at];
        if (c == '{') {
            value.kind = JsonValue::Kind::Object;
            ++m_at;
            blanks();
            if (take("}"))
                return value;
            do {
                blanks();
                if (m_at >= m_text.size() || m_text[m_at] != '"')
                    fail("a member name expected");
                std::string name = string();
                expect(':');
                value.members.emplace_back(std::move(name), next(depth + 1));
                blanks();
            } while (take(","));
            expect('}');
        } else if (c == '[') {
            value.kind = JsonValue::Kind::Array;
            ++m_at;
            blanks();
            if (take("]"))
                return value;
            do
                value.items.push_back(next(depth + 1));
            while ((blanks(), take(",")));
            expect(']');
        } else if (c == '"') {
            value.kind = JsonValue::Kind::String;
            value.text = string();
        } else if (take("true") || take("false")) {
            value.kind = JsonValue::Kind::Boolean;
            value.boolean = c == 't';
        } else if (take("null")) {
        } else {
            value.kind = JsonValue::Kind::Number;
            value.text = number();
        }
        return value;
    }

    std::string number()
    {
        const std::size_t start = m_at;
        const auto digits = [&] {
            const std::size_t first = m_at;
            while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
                ++m_at;
            return m_at - first;
        };
        take("-");
        const std::size_t integral = m_at;
        if (digits() == 0 || (m_text[integral] == '0' && m_at - integral > 1))
            fail("a value expected");
        if (take(".") && digits() == 0)
            fail("digits expected after '.'");
        if (take("e") || take("E")) {
            if (!take("+"))
                take("-");
            if (digits() == 0)
                fail("digits expected in the exponent");
        }
        return std::string(m_text.substr(start, m_at - start));
    }

    std::uint32_t hex4()
    {
        std::uint32_t value = 0;
        const std::string_view digits = m_text.substr(m_at, 4);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (digits.size() != 4 || error != std::errc() || end != digits.data() + 4)
            fail("four hex digits expected after \\u");
        m_at += 4;
        return value;
    }

    std::string string()
    {
        ++m_at; // the opening quote
        std::string out;
        while (true) {
            if (m_at >= m_text.size())
                fail("the string does not end");
            const auto c = static_cast<unsigned char>(m_text[m_at]);
            if (c == '"') {
                ++m_at;
                return out;
            }
            if (c < 0x20)
                fail("a control character in a string");
            if (c != '\\') {
                std::uint32_t cp = 0;
                const std::size_t length = decodeUtf8Char(m_text, m_at, cp);
                if (length == 0)
                    fail("not UTF-8");
                out.append(m_text.substr(m_at, length));
                m_at += length;
                continue;
            }
            ++m_at;
            const char escape = m_at < m_text.size() ? m_text[m_at++] : '\0';
            switch (escape) {
            case '"':
            case '\\':
            case '/':
                out += escape;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t cp = hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF && take("\\u")) {
                    const std::uint32_t low = hex4();
                    if (low < 0xDC00 || low > 0xDFFF)
                        fail("a lone surrogate");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                    fail("a lone surrogate");
                }
                appendUtf8(out, cp);
                break;
            }
            default:
                --m_at;
                fail("an unknown escape");
            }
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

} // namespace

const JsonValue* JsonValue::member(std::string_view name) const
{
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        if (it->first == name)
            return &it->second;
    }
    return nullptr;
}

std::optional<std::int64_t> JsonValue::integer() const
{
    std::int64_t value = 0;
    if (kind != Kind::Number)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

JsonValue parseJson(std::string_view text)
{
    return Reader(text).document();
}

} // namespace zorvat::rank
