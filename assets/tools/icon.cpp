// SPDX-License-Identifier: GPL-3.0-or-later
#include "icon.h"

#include "pixel_letters.h"

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

IndexedPicture blank(std::uint8_t index, bool transparent)
{
    IndexedPicture picture;
    picture.width = 32;
    picture.height = 32;
    picture.index.assign(32 * 32, index);
    if (transparent)
        picture.transparent.assign(32 * 32, true);
    return picture;
}

// How far a pixel centre lies inside the tilted square: positive inside, in pixels from
// the nearest edge; also which edge is nearest, for the light on the upper left.
struct SquareSpot {
    double depth;
    bool litEdge;
};

SquareSpot spotAt(double x, double y, double half)
{
    const double dx = x - 15.5;
    const double dy = y - 15.5;
    const double u = dx * Cos15 + dy * Sin15;
    const double v = -dx * Sin15 + dy * Cos15;
    const double depth = half - std::max(std::abs(u), std::abs(v));
    const bool lit = std::abs(u) > std::abs(v) ? u < 0 : v < 0;
    return { depth, lit };
}

} // namespace

IndexedPicture programIcon()
{
    IndexedPicture icon = blank(Black, true);
    const double half = 12.4;
    const auto set = [&icon](int x, int y, std::uint8_t index) {
        if (x < 0 || y < 0 || x >= icon.width || y >= icon.height)
            return;
        const std::size_t i = std::size_t(y) * icon.width + x;
        icon.index[i] = index;
        icon.transparent[i] = false;
    };

    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const SquareSpot spot = spotAt(x + 0.5, y + 0.5, half);
            const SquareSpot shadow = spotAt(x - 0.5, y - 0.5, half);
            if (spot.depth >= 0)
                set(x, y, spot.depth < 1 ? Black : spot.depth < 2.2 && spot.litEdge ? Lime : Green);
            else if (shadow.depth >= 0)
                set(x, y, Grey);
        }
    }

    // The logo: each letter ringed in black so that it reads on the green.
    const auto letter = [&](const QString& text, int left, int top, std::uint8_t colour) {
        forEachPixel(PixelFace::IconSmall, text, left, top, [&](int x, int y) {
            set(x - 1, y, Black);
            set(x + 1, y, Black);
            set(x, y - 1, Black);
            set(x, y + 1, Black);
            set(x + 1, y + 1, Black);
        });
        forEachPixel(PixelFace::IconSmall, text, left, top, [&](int x, int y) { set(x, y, colour); });
    };
    const QString top = QStringLiteral("Rek");
    const QString bottom = QStringLiteral("van");
    letter(top, (32 - pixelTextWidth(PixelFace::IconSmall, top)) / 2, 7, Aqua);
    letter(bottom, (32 - pixelTextWidth(PixelFace::IconSmall, bottom)) / 2 + 1, 15, Red);
    return icon;
}

IndexedPicture blankTile()
{
    return blank(Green, false);
}

} // namespace zorvat::art
