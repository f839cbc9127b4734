// SPDX-License-Identifier: GPL-3.0-or-later
#include "faces.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace zorvat::art {

namespace {

// All face geometry is in tile pixels of a 32 x 32 tile.
constexpr double BallX = 15.5;
constexpr double BallY = 15.0;
constexpr double BallR = 12.8;
constexpr double ShadowDX = 2.6;
constexpr double ShadowDY = 2.8;

constexpr QRgb Ink = 0xff201818;
constexpr QRgb MouthDark = 0xff5a0c16;
constexpr QRgb Tongue = 0xffe65a6a;
constexpr QRgb White = 0xffffffff;

// Kind 1..5: red, blue, yellow, green, light cyan.
constexpr QRgb BallColour[] = { 0, 0xffe02828, 0xff2a5ae6, 0xfff8d830, 0xff58d040, 0xff96ecf6 };

QPainterPath ellipse(double cx, double cy, double rx, double ry)
{
    QPainterPath p;
    p.addEllipse(QPointF(cx, cy), rx, ry);
    return p;
}

// Places tile geometry at the tile's origin and size on the canvas.
class TilePlacer {
public:
    TilePlacer(QPointF origin, double width, double height)
        : m_origin(origin)
        , m_kx(width / 32.0)
        , m_ky(height / 32.0)
    {
    }

    QPainterPath map(const QPainterPath& p) const
    {
        return QTransform(m_kx, 0, 0, m_ky, m_origin.x(), m_origin.y()).map(p);
    }
    double u(double x) const { return (x - m_origin.x()) / m_kx; }
    double v(double y) const { return (y - m_origin.y()) / m_ky; }

private:
    QPointF m_origin;
    double m_kx;
    double m_ky;
};

// A line drawn in tile pixels, so that it widens with the tile in each direction.
void strokeIn(ArtCanvas& canvas, const TilePlacer& t, const QPainterPath& line, double width, QRgb colour)
{
    canvas.fill(t.map(outlineOf(line, width)), colour);
}

// Light falls from the upper left, a little in front of the ball.
QRgb ballShade(QRgb base, double u, double v)
{
    const double nx = (u - BallX) / BallR;
    const double ny = (v - BallY) / BallR;
    const double d2 = std::min(1.0, nx * nx + ny * ny);
    const double nz = std::sqrt(1.0 - d2);
    const double lx = -0.46;
    const double ly = -0.58;
    const double lz = 0.67;
    const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
    QRgb c = scaled(base, 0.5 + 0.62 * diffuse);

    // A warm bounce of the ground along the lower right rim keeps the ball round in shadow.
    const double bounce = smoothstep(0.55, 1.0, 0.6 * nx + 0.8 * ny) * smoothstep(0.6, 0.95, std::sqrt(d2));
    c = mix(c, mix(base, White, 0.25), bounce * 0.35);

    const double edge = smoothstep(0.86, 1.0, std::sqrt(d2));
    c = mix(c, scaled(base, 0.35), edge * 0.6);

    // A tight shine where the light glances straight back: the half vector of light and viewer,
    // raised to the 32nd power.
    const double hx = lx;
    const double hy = ly;
    const double hz = lz + 1.0;
    const double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    double s = std::max(0.0, (nx * hx + ny * hy + nz * hz) / hl);
    for (int i = 0; i < 5; ++i)
        s *= s;
    return mix(c, White, s * 0.85);
}

void paintEyes(ArtCanvas& canvas, const TilePlacer& t, int kind)
{
    const double left = BallX - 4.3;
    const double right = BallX + 4.3;
    const auto glint = [&](double x, double y, double r) { canvas.fill(t.map(ellipse(x, y, r, r)), White); };
    switch (kind) {
    case 1: // friendly tall ovals
        for (double x : { left, right }) {
            canvas.fill(t.map(ellipse(x, BallY - 3.0, 1.6, 2.6)), Ink);
            glint(x - 0.45, BallY - 4.1, 0.65);
        }
        break;
    case 2: // wide white eyes under raised brows
        for (double x : { left, right }) {
            canvas.fill(t.map(ellipse(x, BallY - 3.4, 2.8, 3.2)), Ink);
            canvas.fill(t.map(ellipse(x, BallY - 3.4, 2.15, 2.55)), White);
            canvas.fill(t.map(ellipse(x + (x < BallX ? 0.5 : -0.5), BallY - 2.9, 1.0, 1.15)), Ink);
            QPainterPath brow;
            brow.moveTo(x - 2.2, BallY - 8.0);
            brow.quadTo(x, BallY - 9.8, x + 2.2, BallY - 8.0);
            strokeIn(canvas, t, brow, 1.1, Ink);
        }
        break;
    case 3: // small round dots and rosy cheeks
        for (double x : { left, right }) {
            canvas.fill(t.map(ellipse(x < BallX ? BallX - 7.2 : BallX + 7.2, BallY + 1.6, 2.0, 1.2)), 0x80ff6a3c);
            canvas.fill(t.map(ellipse(x, BallY - 2.8, 1.45, 1.5)), Ink);
            glint(x - 0.4, BallY - 3.3, 0.45);
        }
        break;
    case 4: // laughing arcs
        for (double x : { left, right }) {
            QPainterPath arc;
            arc.moveTo(x - 2.3, BallY - 1.9);
            arc.quadTo(x, BallY - 6.4, x + 2.3, BallY - 1.9);
            strokeIn(canvas, t, arc, 1.6, Ink);
        }
        break;
    case 5: // worried eyes under brows raised in the middle, and a tear
        for (double x : { left, right }) {
            canvas.fill(t.map(ellipse(x, BallY - 2.4, 1.55, 2.1)), Ink);
            glint(x - 0.45, BallY - 3.2, 0.7);
            const double outer = x < BallX ? x - 2.4 : x + 2.4;
            const double inner = x < BallX ? x + 1.9 : x - 1.9;
            QPainterPath brow;
            brow.moveTo(outer, BallY - 5.2);
            brow.lineTo(inner, BallY - 7.3);
            strokeIn(canvas, t, brow, 1.2, Ink);
        }
        {
            QPainterPath tear;
            const double x = right + 1.6;
            const double y = BallY + 1.2;
            tear.moveTo(x, y - 2.6);
            tear.cubicTo(x + 0.9, y - 1.2, x + 1.6, y - 0.3, x + 1.6, y + 0.5);
            tear.cubicTo(x + 1.6, y + 1.5, x - 1.6, y + 1.5, x - 1.6, y + 0.5);
            tear.cubicTo(x - 1.6, y - 0.3, x - 0.9, y - 1.2, x, y - 2.6);
            canvas.fill(t.map(tear), 0xff2a7ad8);
            canvas.fill(t.map(ellipse(x - 0.4, y + 0.2, 0.5, 0.6)), 0xffd8f4ff);
        }
        break;
    default:
        break;
    }
}

// An open mouth: dark inside, an inked rim, and the parts that show inside it.
void paintOpenMouth(ArtCanvas& canvas, const TilePlacer& t, const QPainterPath& mouth, const QPainterPath& teeth,
    const QPainterPath& tongue)
{
    canvas.fill(t.map(mouth), MouthDark);
    if (!tongue.isEmpty())
        canvas.fill(t.map(mouth.intersected(tongue)), Tongue);
    if (!teeth.isEmpty())
        canvas.fill(t.map(mouth.intersected(teeth)), 0xfffff8f0);
    strokeIn(canvas, t, mouth, 0.9, Ink);
}

// Every mouth starts below the middle of the tile, so that the middle shows the ball's own
// colour whatever the face.
void paintMouth(ArtCanvas& canvas, const TilePlacer& t, int kind)
{
    const double x = BallX;
    const double y = BallY;
    switch (kind) {
    case 1: { // smile
        QPainterPath smile;
        smile.moveTo(x - 6.0, y + 2.4);
        smile.cubicTo(x - 4.0, y + 8.0, x + 4.0, y + 8.0, x + 6.0, y + 2.4);
        strokeIn(canvas, t, smile, 1.7, Ink);
        break;
    }
    case 2: // wide-open mouth
        paintOpenMouth(canvas, t, ellipse(x, y + 6.3, 3.3, 3.8), {}, ellipse(x, y + 9.2, 2.6, 1.7));
        break;
    case 3: // small round mouth
        paintOpenMouth(canvas, t, ellipse(x + 0.3, y + 4.6, 1.6, 1.8), {}, {});
        break;
    case 4: { // open grin: flat on top, round below, teeth and tongue
        QPainterPath grin;
        grin.moveTo(x - 6.6, y + 2.6);
        grin.lineTo(x + 6.6, y + 2.6);
        grin.cubicTo(x + 6.2, y + 10.4, x - 6.2, y + 10.4, x - 6.6, y + 2.6);
        grin.closeSubpath();
        QPainterPath teeth;
        teeth.addRect(QRectF(x - 7, y + 2.6, 14, 2.0));
        paintOpenMouth(canvas, t, grin, teeth, ellipse(x, y + 9.2, 3.4, 2.2));
        break;
    }
    case 5: { // down-turned open mouth: round on top, corners dropping
        QPainterPath frown;
        frown.moveTo(x - 5.4, y + 8.4);
        frown.cubicTo(x - 5.0, y + 2.2, x + 5.0, y + 2.2, x + 5.4, y + 8.4);
        frown.quadTo(x, y + 6.8, x - 5.4, y + 8.4);
        frown.closeSubpath();
        paintOpenMouth(canvas, t, frown, {}, ellipse(x, y + 8.6, 2.8, 1.8));
        break;
    }
    default:
        break;
    }
}

} // namespace

void paintFace(ArtCanvas& canvas, int kind, QPointF origin, double width, double height)
{
    const TilePlacer t(origin, width, height);
    const QRgb base = BallColour[std::clamp(kind, 1, 5)];

    const double sx = BallX + ShadowDX;
    const double sy = BallY + ShadowDY;
    canvas.fill(t.map(ellipse(sx, sy, BallR + 0.8, BallR + 0.8)), [&](double px, double py) {
        const double du = t.u(px) - sx;
        const double dv = t.v(py) - sy;
        const double d = std::sqrt(du * du + dv * dv);
        return qRgba(0, 0, 0, int(235 * (1.0 - smoothstep(BallR - 1.6, BallR + 0.8, d))));
    });

    const QPainterPath ball = ellipse(BallX, BallY, BallR, BallR);
    canvas.fill(t.map(ball), [&](double px, double py) { return ballShade(base, t.u(px), t.v(py)); });

    // The glossy window reflection near the top, brightest at its upper edge.
    const double gy = BallY - 7.4;
    canvas.fill(t.map(ellipse(BallX - 3.2, gy, 5.6, 3.1)), [&](double, double py) {
        const double f = smoothstep(gy + 3.1, gy - 3.1, t.v(py));
        return qRgba(255, 255, 255, int(30 + 170 * f));
    });

    paintEyes(canvas, t, kind);
    paintMouth(canvas, t, kind);
    strokeIn(canvas, t, ball, 0.9, scaled(base, 0.3));
}

QImage faceStrip(int resolution)
{
    ArtCanvas canvas(5 * 32, 32, 8, resolution);
    canvas.paintAll([](double, double) { return Ground; });
    for (int kind = 1; kind <= 5; ++kind)
        paintFace(canvas, kind, QPointF((kind - 1) * 32, 0));
    return canvas.reduced();
}

} // namespace zorvat::art
