// SPDX-License-Identifier: GPL-3.0-or-later
#include "name_validator.h"

#include "text_codec.h"

#include <optional>
#include <vector>

namespace zorvat {

namespace {

struct Piece {
    QString text; // the character as the file will give it back
    int bytes = 0;
    bool beforeCursor = false;
};

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// The character's code page 932 form read back, with its length in bytes; nothing when it has
// no such form.
std::optional<Piece> asSaved(char32_t c)
{
    if (c >= 0x20 && c < 0x7F)
        return Piece { QString(QChar(static_cast<char16_t>(c))), 1 };
    if (isControl(c))
        return std::nullopt;
    const auto bytes = toCp932(QString::fromUcs4(&c, 1).toStdString());
    if (!bytes)
        return std::nullopt;
    const auto back = fromCp932(*bytes);
    if (!back)
        return std::nullopt;
    return Piece { QString::fromStdString(*back), static_cast<int>(bytes->size()) };
}

} // namespace

QValidator::State NameValidator::validate(QString& input, int& pos) const
{
    std::vector<Piece> pieces;
    int total = 0;
    for (qsizetype i = 0; i < input.size();) {
        char32_t c = input[i].unicode();
        qsizetype units = 1;
        if (input[i].isHighSurrogate() && i + 1 < input.size() && input[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(input[i], input[i + 1]);
            units = 2;
        }
        if (auto piece = asSaved(c)) {
            piece->beforeCursor = i < pos;
            total += piece->bytes;
            pieces.push_back(std::move(*piece));
        }
        i += units;
    }
    // What was just typed or pasted ends at the cursor: cut it from there back, so the name
    // that was there before stays whole.
    while (total > MaxBytes) {
        auto victim = pieces.end() - 1;
        for (auto it = pieces.begin(); it != pieces.end() && it->beforeCursor; ++it)
            victim = it;
        total -= victim->bytes;
        pieces.erase(victim);
    }
    QString out;
    int cursor = 0;
    for (const Piece& p : pieces) {
        out += p.text;
        if (p.beforeCursor)
            cursor = static_cast<int>(out.size());
    }
    input = out;
    pos = cursor;
    return Acceptable;
}

} // namespace zorvat
