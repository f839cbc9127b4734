// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixel_letters.h"

#include <map>
#include <stdexcept>

namespace zorvat::art {

namespace {

using Rows = std::vector<const char*>;

const std::map<QChar, Rows>& rankSerif()
{
    static const std::map<QChar, Rows> table {
        { u'1', { "..##..", ".###..", "####..", "..##..", "..##..", "..##..", "..##..", "..##..", "######" } },
        { u'2', { ".#####.", "##...##", ".....##", "....##.", "..###..", ".##....", "##.....", "##...##", "#######" } },
        { u'3', { ".#####.", "##...##", ".....##", "...###.", ".....##", ".....##", ".....##", "##...##", ".#####." } },
        { u'4', { "....##.", "...###.", "..####.", ".##.##.", "##..##.", "#######", "....##.", "....##.", "...####" } },
        { u'5', { "#######", "##.....", "##.....", "######.", ".....##", ".....##", ".....##", "##...##", ".#####." } },
        { u'd', { "...###.", "....##.", "....##.", ".#####.", "##..##.", "##..##.", "##..##.", "##..##.", ".######" } },
        { u'h', { "###....", ".##....", ".##....", ".#####.", ".##..##", ".##..##", ".##..##", ".##..##", "###.###" } },
        { u'n', { ".......", ".......", ".......", "##.###.", ".##..##", ".##..##", ".##..##", ".##..##", "###.###" } },
        { u'r', { "......", "......", "......", "##.###", ".###..", ".##...", ".##...", ".##...", "####.." } },
        { u's', { "......", "......", "......", ".#####", "##....", ".####.", "....##", "##..##", ".####." } },
        { u't', { ".....", ".##..", ".##..", "#####", ".##..", ".##..", ".##..", ".##.#", "..##." } },
    };
    return table;
}

const std::map<QChar, Rows>& iconSmall()
{
    static const std::map<QChar, Rows> table {
        { u'R', { "####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#" } },
        { u'a', { "....", "....", ".##.", "...#", ".###", "#..#", ".###" } },
        { u'e', { "....", "....", ".##.", "#..#", "####", "#...", ".###" } },
        { u'k', { "#...", "#...", "#..#", "#.#.", "##..", "#.#.", "#..#" } },
        { u'n', { "....", "....", "###.", "#..#", "#..#", "#..#", "#..#" } },
        { u'v', { ".....", ".....", "#...#", "#...#", ".#.#.", ".#.#.", "..#.." } },
    };
    return table;
}

} // namespace

const std::vector<const char*>& pixelGlyph(PixelFace face, QChar c)
{
    const auto& table = face == PixelFace::RankSerif ? rankSerif() : iconSmall();
    const auto found = table.find(c);
    if (found == table.end())
        throw std::logic_error("no pixel letter for a character of the lettering");
    return found->second;
}

int pixelTextWidth(PixelFace face, const QString& text)
{
    int width = 0;
    for (QChar c : text) {
        int w = 0;
        for (const char* row : pixelGlyph(face, c))
            w = std::max(w, int(QByteArray(row).size()));
        width += w + 1;
    }
    return std::max(0, width - 1);
}

} // namespace zorvat::art
