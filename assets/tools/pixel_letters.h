// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <vector>

namespace zorvat::art {

// Letters set pixel by pixel, for lettering too small to draw with a pen: the bold serif
// rank words of the records window and the logo of the 32 x 32 icon.
enum class PixelFace {
    RankSerif, // capitals and digits 9 rows tall, small letters 6; stems two pixels wide
    IconSmall, // capitals 7 rows tall, small letters 5; one-pixel strokes
};

/** The width in pixels of `text` set with one blank column between letters. */
int pixelTextWidth(PixelFace face, const QString& text);

/** Calls `plot(x, y)` for every inked pixel of `text` with its top-left at (left, top). */
template <typename Plot> void forEachPixel(PixelFace face, const QString& text, int left, int top, Plot plot);

/** The rows of one letter ('#' inked); empty when the face has no such letter. */
const std::vector<const char*>& pixelGlyph(PixelFace face, QChar c);

template <typename Plot> void forEachPixel(PixelFace face, const QString& text, int left, int top, Plot plot)
{
    int x = left;
    for (QChar c : text) {
        const std::vector<const char*>& rows = pixelGlyph(face, c);
        int width = 0;
        for (std::size_t y = 0; y < rows.size(); ++y) {
            const QByteArray row(rows[y]);
            width = std::max(width, int(row.size()));
            for (int i = 0; i < row.size(); ++i) {
                if (row[i] == '#')
                    plot(x + i, top + int(y));
            }
        }
        x += width + 1;
    }
}

} // namespace zorvat::art
