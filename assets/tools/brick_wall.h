// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "art_canvas.h"

#include <cstdint>

namespace zorvat::art {

// A wall of bricks in running bond: every other row shifted by half a brick, each brick a
// little lighter or darker than its neighbours, lit from the upper left.
struct BrickWall {
    int brickWidth = 20;
    int brickHeight = 10;
    int mortar = 2;
    Shader brick; // the colour of a brick at a point, before its own shading
    QRgb mortarColour = 0xff404040;
    double variation = 0.12; // brightness spread between bricks
    std::uint32_t seed = 1;
    int resolution = 1; // pixels per picture pixel of the canvas it is painted on: the grain follows the pixels

    /** The colour of the wall at a point, in picture pixels. */
    QRgb colourAt(double x, double y) const;
};

} // namespace zorvat::art
