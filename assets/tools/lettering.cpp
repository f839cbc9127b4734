// SPDX-License-Identifier: GPL-3.0-or-later
#include "lettering.h"

#include <QTransform>

#include <map>
#include <sstream>
#include <stdexcept>

namespace zorvat::art {

namespace {

// Each letter is a skeleton the pen follows, in letter units: capitals from y 0 to the
// baseline at y 10, small letters from y 3. Commands: M x y, L x y, Q cx cy x y,
// C c1x c1y c2x c2y x y, E cx cy rx ry (a closed ellipse), and S x y h: a serif bar of
// half-length h at the stem end (x, y), set inside the letter.
struct GlyphSource {
    double advance;
    const char* path;
};

const std::map<QChar, GlyphSource>& glyphTable()
{
    static const std::map<QChar, GlyphSource> table {
        { u'A', { 6.6, "M 0 10 L 3.3 0 L 6.6 10 M 1.4 6.4 L 5.2 6.4 S 0 10 1.1 S 6.6 10 1.1" } },
        { u'E', { 6.0, "M 6 0 L 0 0 L 0 10 L 6 10 M 0 5 L 4.8 5" } },
        { u'G',
            { 7.2,
                "M 6.8 2.2 C 6 0.6 4.9 0 3.6 0 C 1.2 0 0 2.4 0 5 C 0 7.6 1.2 10 3.6 10 C 5.4 10 6.8 9 6.8 6.8 "
                "L 6.8 5.4 L 3.9 5.4" } },
        { u'K',
            { 6.6, "M 0 0 L 0 10 M 6.2 0 L 0 6.4 M 2.2 4.2 L 6.6 10 S 0 0 1.4 S 0 10 1.4 S 6.2 0 1.1 S 6.6 10 1.1" } },
        { u'M', { 8.0, "M 0 10 L 0 0 L 4 7.4 L 8 0 L 8 10 S 0 10 1.1 S 8 10 1.1" } },
        { u'O', { 7.2, "E 3.6 5 3.6 5" } },
        { u'R', { 6.6, "M 0 10 L 0 0 L 3.8 0 C 6.6 0 6.6 5 3.8 5 L 0 5 M 3.2 5 L 6.4 10 S 0 10 1.2" } },
        { u'V', { 6.6, "M 0 0 L 3.3 10 L 6.6 0" } },
        { u'Z', { 6.6, "M 0.4 0 L 6.2 0 L 0.4 10 L 6.4 10" } },
        { u'a',
            { 5.6,
                "M 5.4 3 L 5.4 10 M 5.4 6.5 C 5.4 4.4 4.2 3 2.7 3 C 1.1 3 0 4.6 0 6.5 C 0 8.4 1.1 10 2.7 10 "
                "C 4.2 10 5.4 8.6 5.4 6.5" } },
        { u'd',
            { 5.4,
                "M 5.4 0 L 5.4 10 M 5.4 6.5 C 5.4 4.4 4.2 3 2.7 3 C 1.1 3 0 4.6 0 6.5 C 0 8.4 1.1 10 2.7 10 "
                "C 4.2 10 5.4 8.6 5.4 6.5 S 5.4 0 0.9 S 5.4 10 0.9" } },
        { u'e',
            { 5.7,
                "M 0.2 6.4 L 5.5 6.4 C 5.5 4.3 4.3 3 2.8 3 C 1.2 3 0 4.6 0 6.5 C 0 8.4 1.2 10 3 10 "
                "C 4.2 10 5 9.5 5.5 8.6" } },
        { u'h',
            { 5.4,
                "M 0 0 L 0 10 M 0 5.8 C 0 4 1.2 3 2.8 3 C 4.5 3 5.4 4 5.4 5.8 L 5.4 10 S 0 0 0.9 S 0 10 0.9 "
                "S 5.4 10 0.9" } },
        { u'k', { 5.3, "M 0 0 L 0 10 M 5 3.2 L 0 7.4 M 1.9 5.8 L 5.3 10" } },
        { u'n',
            { 5.4,
                "M 0 3 L 0 10 M 0 5.8 C 0 4 1.2 3 2.8 3 C 4.5 3 5.4 4 5.4 5.8 L 5.4 10 S 0 3 0.9 S 0 10 0.9 "
                "S 5.4 10 0.9" } },
        { u'o', { 6.0, "E 3 6.5 3 3.5" } },
        { u'r', { 4.4, "M 0 3 L 0 10 M 0 6.2 C 0 4.2 1.6 3 4 3 S 0 3 0.9 S 0 10 1.1" } },
        { u's',
            { 5.0,
                "M 4.8 4.1 C 4.4 3.3 3.6 3 2.6 3 C 1.3 3 0.3 3.7 0.3 4.8 C 0.3 7 5 6 5 8.2 C 5 9.4 3.9 10 2.6 10 "
                "C 1.4 10 0.5 9.6 0 8.8" } },
        { u't', { 3.9, "M 1.6 0.6 L 1.6 8.4 C 1.6 9.5 2.3 10 3.6 10 M 0 3.3 L 3.6 3.3" } },
        { u'v', { 5.8, "M 0 3 L 2.9 10 L 5.8 3" } },
        { u'1', { 5.0, "M 0.9 2 L 3 0 L 3 10 S 3 10 1.9" } },
        { u'2', { 6.0, "M 0.4 2.6 C 0.6 1 1.8 0 3.2 0 C 4.8 0 5.9 1 5.9 2.7 C 5.9 5 0.3 7 0.2 10 L 6 10" } },
        { u'3',
            { 6.0,
                "M 0.4 1.2 C 1.1 0.4 2 0 3.1 0 C 4.7 0 5.7 0.9 5.7 2.4 C 5.7 3.9 4.4 4.7 2.6 4.7 "
                "C 4.6 4.7 6 5.6 6 7.3 C 6 9 4.7 10 3 10 C 1.8 10 0.8 9.6 0.1 8.8" } },
        { u'4', { 6.2, "M 4.5 10 L 4.5 0 L 0 7 L 6.2 7 S 4.5 10 1.3" } },
        { u'5',
            { 6.0,
                "M 5.6 0 L 1 0 L 0.6 4.4 C 1.3 3.8 2.2 3.6 3.1 3.6 C 4.9 3.6 6 4.9 6 6.8 C 6 8.8 4.7 10 2.9 10 "
                "C 1.7 10 0.8 9.6 0.1 8.8" } },
        { u' ', { 3.5, "" } },
    };
    return table;
}

// Reads one letter's skeleton; a mistake in the table is a mistake in this program.
void parseGlyph(const GlyphSource& source, QPainterPath& skeleton, std::vector<QLineF>& serifs)
{
    std::istringstream in(source.path);
    char command = 0;
    while (in >> command) {
        double v[6] = {};
        const int count = command == 'C' ? 6 : command == 'Q' || command == 'E' ? 4 : command == 'S' ? 3 : 2;
        for (int i = 0; i < count; ++i)
            in >> v[i];
        if (!in)
            throw std::logic_error("bad letter skeleton");
        switch (command) {
        case 'M':
            skeleton.moveTo(v[0], v[1]);
            break;
        case 'L':
            skeleton.lineTo(v[0], v[1]);
            break;
        case 'Q':
            skeleton.quadTo(v[0], v[1], v[2], v[3]);
            break;
        case 'C':
            skeleton.cubicTo(v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        case 'E':
            skeleton.addEllipse(QPointF(v[0], v[1]), v[2], v[3]);
            break;
        case 'S':
            serifs.emplace_back(v[0] - v[2], v[1], v[0] + v[2], v[1]);
            break;
        default:
            throw std::logic_error("bad letter skeleton");
        }
    }
}

} // namespace

Lettering::Lettering(const QString& text, const LetterStyle& style)
    : m_text(text)
    , m_style(style)
{
    for (QChar c : text) {
        const auto found = glyphTable().find(c);
        if (found == glyphTable().end())
            throw std::logic_error("no letter shape for a character of the lettering");
        Glyph glyph;
        glyph.advance = found->second.advance;
        parseGlyph(found->second, glyph.skeleton, glyph.serifs);
        m_glyphs.push_back(std::move(glyph));
    }
}

double Lettering::width() const
{
    double units = 0;
    for (const Glyph& glyph : m_glyphs)
        units += glyph.advance;
    units += m_style.tracking * double(m_glyphs.size() > 0 ? m_glyphs.size() - 1 : 0);
    return units * m_style.capHeight / 10.0;
}

void Lettering::lift(int index, double units)
{
    m_glyphs.at(std::size_t(index)).lift = units;
}

Shape Lettering::shape(QPointF topLeft, double grow) const
{
    const double k = m_style.capHeight / 10.0;
    const double pen = m_style.weight + grow / k;
    // A broad pen is drawn as a thin pen dragged along the nib; a round pen is one stroke.
    const bool broad = !m_style.nib.isNull();
    const int passes = broad ? 12 : 1;
    const double thin = broad ? 0.35 + grow / k : pen;

    Shape shape;
    double x = 0;
    for (const Glyph& glyph : m_glyphs) {
        // The shear leans the letters forward about the baseline.
        const QTransform place = QTransform(1, 0, -m_style.slant, 1, 0, 0) * QTransform::fromTranslate(x, -glyph.lift)
            * QTransform::fromTranslate(m_style.slant * 10, 0) * QTransform::fromScale(k, k)
            * QTransform::fromTranslate(topLeft.x(), topLeft.y());
        for (int i = 0; i < passes; ++i) {
            const QPointF offset = broad ? m_style.nib * (double(i) / (passes - 1) - 0.5) : QPointF();
            const QPainterPath moved = glyph.skeleton.translated(offset);
            if (!moved.isEmpty())
                shape.push_back(place.map(outlineOf(moved, thin, m_style.cap, Qt::RoundJoin)));
        }
        if (m_style.serifs) {
            const double barHeight = std::max(0.45 * m_style.weight, 0.5) + grow / k;
            for (const QLineF& bar : glyph.serifs) {
                const double y
                    = bar.y1() > 5 ? bar.y1() - barHeight / 2 + grow / k / 2 : bar.y1() + barHeight / 2 - grow / k / 2;
                QPainterPath p;
                p.moveTo(bar.x1(), y);
                p.lineTo(bar.x2(), y);
                shape.push_back(place.map(outlineOf(p, barHeight, Qt::SquareCap, Qt::MiterJoin)));
            }
        }
        x += glyph.advance + m_style.tracking;
    }
    return shape;
}

} // namespace zorvat::art
