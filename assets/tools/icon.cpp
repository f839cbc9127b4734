// SPDX-License-Identifier: GPL-3.0-or-later
#include "icon.h"

#include "lettering.h"
#include "pixel_letters.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace zorvat::art {

namespace {

// Indices into the standard sixteen colours.
constexpr std::uint8_t Black = 0;
constexpr std::uint8_t Green = 2;
constexpr std::uint8_t Grey = 8;
constexpr std::uint8_t Red = 9;
constexpr std::uint8_t Lime = 10;
constexpr std::uint8_t Aqua = 14;

// The square leans 15 degrees; the sine and cosine are written out so that every machine
// rounds the same edge pixels.
constexpr double Cos15 = 0.9659258262890683;
constexpr double Sin15 = 0.25881904510252074;

IndexedPicture blank(int size, std::uint8_t index, bool transparent)
{
    IndexedPicture picture;
    picture.width = size;
    picture.height = size;
    picture.index.assign(std::size_t(size) * size, index);
    if (transparent)
        picture.transparent.assign(std::size_t(size) * size, true);
    return picture;
}

// How far a point lies inside the tilted square centred at (centre, centre): positive
// inside, in pixels from the nearest edge; also whether that edge faces the light on the
// upper left.
struct SquareSpot {
    double depth;
    bool litEdge;
};

SquareSpot spotAt(double x, double y, double centre, double half)
{
    const double dx = x - centre;
    const double dy = y - centre;
    const double u = dx * Cos15 + dy * Sin15;
    const double v = -dx * Sin15 + dy * Cos15;
    const double depth = half - std::max(std::abs(u), std::abs(v));
    const bool lit = std::abs(u) > std::abs(v) ? u < 0 : v < 0;
    return { depth, lit };
}

// The small icons are set pixel by pixel in the sixteen colours: the square with its dark
// rim, lit edges and shadow, and the logo's lines each ringed in black so they read on the
// green.
struct LogoLine {
    QString text;
    int top;
    int nudge; // pixels to the right of the centred position
    std::uint8_t colour;
};

struct PixelLayout {
    int size;
    double half; // half the square's side
    double litWidth; // depth of the lit edges, rim included
    std::vector<LogoLine> lines;
};

IndexedPicture pixelIcon(const PixelLayout& layout)
{
    const int size = layout.size;
    IndexedPicture icon = blank(size, Black, true);
    const double centre = size / 2.0 - 0.5;
    const auto set = [&icon, size](int x, int y, std::uint8_t index) {
        if (x < 0 || y < 0 || x >= size || y >= size)
            return;
        const std::size_t i = std::size_t(y) * size + x;
        icon.index[i] = index;
        icon.transparent[i] = false;
    };

    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const SquareSpot spot = spotAt(x + 0.5, y + 0.5, centre, layout.half);
            const SquareSpot shadow = spotAt(x - 0.5, y - 0.5, centre, layout.half);
            if (spot.depth >= 0)
                set(x, y, spot.depth < 1 ? Black : spot.depth < layout.litWidth && spot.litEdge ? Lime : Green);
            else if (shadow.depth >= 0)
                set(x, y, Grey);
        }
    }

    for (const LogoLine& line : layout.lines) {
        const int left = (size - pixelTextWidth(PixelFace::IconSmall, line.text)) / 2 + line.nudge;
        forEachPixel(PixelFace::IconSmall, line.text, left, line.top, [&](int x, int y) {
            set(x - 1, y, Black);
            set(x + 1, y, Black);
            set(x, y - 1, Black);
            set(x, y + 1, Black);
            set(x + 1, y + 1, Black);
        });
        forEachPixel(PixelFace::IconSmall, line.text, left, line.top, [&](int x, int y) { set(x, y, line.colour); });
    }
    return icon;
}

// Alpha from one drawing over black and the same drawing over white: where they differ the
// ground shows through. The colour is the one over black, taken back out of its coverage.
QImage withCoverage(const QImage& overBlack, const QImage& overWhite)
{
    QImage out(overBlack.size(), QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            const QRgb b = overBlack.pixel(x, y);
            const QRgb w = overWhite.pixel(x, y);
            const int alpha = 255 - std::clamp(qGreen(w) - qGreen(b), 0, 255);
            const auto lifted
                = [alpha](int c) { return alpha ? std::clamp((c * 255 + alpha / 2) / alpha, 0, 255) : 0; };
            out.setPixel(x, y, qRgba(lifted(qRed(b)), lifted(qGreen(b)), lifted(qBlue(b)), alpha));
        }
    }
    return out;
}

// The large icons are drawn smooth in the same design. Lengths are in pixels of the
// 32-pixel icon, scaled to the size being drawn.
QImage smoothIcon(int size)
{
    const double k = size / 32.0;
    const double centre = 16.0 * k;
    const auto square = [&](double dx, double dy, double inset) {
        const double h = (12.4 - inset) * k;
        QPainterPath path;
        path.addRect(-h, -h, 2 * h, 2 * h);
        return QTransform().translate(centre + dx * k, centre + dy * k).rotate(15).map(path);
    };
    // Light from the upper left: t runs from 0 at that corner to 1 at the opposite one.
    const auto lit = [&](QRgb light, QRgb dark) {
        return [=](double x, double y) {
            const double t = ((x - centre) + (y - centre)) / (2 * 17.5 * k) + 0.5;
            return mix(light, dark, t);
        };
    };

    LetterStyle style;
    style.capHeight = 7.2 * k;
    style.weight = 1.5;
    style.tracking = 0.9;
    const Lettering top(QStringLiteral("Rek"), style);
    const Lettering bottom(QStringLiteral("van"), style);
    const QPointF topAt(centre - top.width() / 2, 6.8 * k);
    const QPointF bottomAt(centre - bottom.width() / 2 + 0.5 * k, 12.4 * k);

    const auto draw = [&](QRgb ground) {
        ArtCanvas canvas(size, size, 4);
        canvas.paintAll([ground](double, double) { return ground; });
        canvas.fill(square(1.2, 1.2, 0), 0x90000000);
        canvas.fill(square(0, 0, 0), 0xff000000);
        canvas.fill(square(0, 0, 0.8), lit(0xff7cf070, 0xff0c8a0c));
        canvas.fill(square(0, 0, 2.0), lit(0xff18a818, 0xff006400));
        canvas.fill(top.shape(topAt, 1.6 * k), 0xff000000);
        canvas.fill(top.shape(topAt), lit(0xffa0ffff, 0xff00d0e0));
        canvas.fill(bottom.shape(bottomAt, 1.6 * k), 0xff000000);
        canvas.fill(bottom.shape(bottomAt), lit(0xffff6a5a, 0xffd00000));
        return canvas.reduced();
    };
    return withCoverage(draw(0xff000000), draw(0xffffffff));
}

} // namespace

IndexedPicture programIcon()
{
    return pixelIcon(
        { 32, 12.4, 2.2, { { QStringLiteral("Rek"), 7, 0, Aqua }, { QStringLiteral("van"), 15, 1, Red } } });
}

QImage launcherIcon(int size)
{
    switch (size) {
    case 16:
        return toImage(
            pixelIcon({ 16, 7.0, 1.8, { { QStringLiteral("R"), 2, -2, Aqua }, { QStringLiteral("v"), 6, 3, Red } } }));
    case 24:
        return toImage(pixelIcon(
            { 24, 10.0, 2.0, { { QStringLiteral("Rek"), 3, 0, Aqua }, { QStringLiteral("van"), 11, 1, Red } } }));
    case 32:
        return toImage(programIcon());
    default:
        return smoothIcon(size);
    }
}

IndexedPicture blankTile(int resolution)
{
    return blank(32 * resolution, Green, false);
}

} // namespace zorvat::art
