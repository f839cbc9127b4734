// SPDX-License-Identifier: GPL-3.0-or-later
#include "brick_wall.h"

#include <cmath>

namespace zorvat::art {

QRgb BrickWall::colourAt(double x, double y) const
{
    const int row = int(std::floor(y / brickHeight));
    const double shifted = x + (row % 2 != 0 ? brickWidth / 2.0 : 0.0);
    const int col = int(std::floor(shifted / brickWidth));
    const double u = shifted - col * brickWidth;
    const double v = y - row * brickHeight;
    const double grain = grainAt(x, y, resolution, seed + 7) - 0.5;

    if (u < mortar || v < mortar) {
        // The mortar just under a brick row lies in that row's shadow.
        const double shade = v < mortar && v >= mortar - 1 && u >= mortar ? 0.78 : 1.0;
        return scaled(mortarColour, shade * (1.0 + 0.10 * grain));
    }

    const double cx = col * brickWidth + brickWidth / 2.0 - (row % 2 != 0 ? brickWidth / 2.0 : 0.0);
    const double cy = row * brickHeight + brickHeight / 2.0;
    const double jitter = (noiseAt(col, row, seed) - 0.5) * 2.0 * variation;
    QRgb c = scaled(brick(cx, cy), 1.0 + jitter + 0.07 * grain);

    // One pixel of light along the top and left of each brick, one of shade along the bottom
    // and right.
    const double bu = u - mortar;
    const double bv = v - mortar;
    const double faceW = brickWidth - mortar;
    const double faceH = brickHeight - mortar;
    if (bv < 1)
        c = mix(c, 0xffffffff, 0.22);
    else if (bu < 1)
        c = mix(c, 0xffffffff, 0.12);
    else if (bv >= faceH - 1)
        c = scaled(c, 0.72);
    else if (bu >= faceW - 1)
        c = scaled(c, 0.82);

    // A few pits in every brick.
    if (grainAt(x, y, resolution, seed + 13) > 0.93)
        c = scaled(c, 0.86);
    return c;
}

} // namespace zorvat::art
