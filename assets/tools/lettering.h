// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "art_canvas.h"

#include <QPainterPath>
#include <QString>

#include <vector>

namespace zorvat::art {

// How a line of our own letters is drawn. Letter units: the capitals stand 10 units
// tall on the baseline, the small letters 7.
struct LetterStyle {
    double capHeight = 10; // in picture pixels
    double weight = 1.2; // pen width, in letter units
    QPointF nib { 0, 0 }; // a broad pen's edge, in letter units: strokes along it come out thin
    bool serifs = false; // bars at the ends of the stems
    double tracking = 1.0; // space between letters, in letter units
    double slant = 0; // forward lean, as a shear
    Qt::PenCapStyle cap = Qt::RoundCap;
};

// A line of text in letter shapes of our own, so that the art never depends on the fonts
// of the machine that draws it. Knows the letters of the game's lettering only.
class Lettering {
public:
    Lettering(const QString& text, const LetterStyle& style);

    /** The advance of the whole line, in picture pixels. */
    double width() const;
    /** The letters with their top-left corner at `topLeft`, every stroke `grow` pixels wider. */
    Shape shape(QPointF topLeft, double grow = 0) const;
    /** Raises the letter at `index` by `units` letter units, for a line of bouncing letters. */
    void lift(int index, double units);

private:
    struct Glyph {
        QPainterPath skeleton;
        std::vector<QLineF> serifs;
        double advance = 0;
        double lift = 0; // raises the letter off the baseline, in letter units
    };

    QString m_text;
    LetterStyle m_style;
    std::vector<Glyph> m_glyphs;
};

} // namespace zorvat::art
