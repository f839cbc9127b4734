// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "art_canvas.h"

#include <QImage>

namespace zorvat::art {

// The game's green: the ground of every face tile, the blank tile and a hidden cell.
inline constexpr QRgb Ground = 0xff008000;

/** The tile strip: the five faces of 32 x 32 side by side, kind 1 at the left, at `resolution`
 *  pixels per picture pixel each way. */
QImage faceStrip(int resolution = 1);

/** Paints the ball of `kind` (1..5) with its face and its shadow into a tile of width x height
 *  (32 x 32 in the strip) whose top-left corner is at `origin`. */
void paintFace(ArtCanvas& canvas, int kind, QPointF origin, double width = 32, double height = 32);

} // namespace zorvat::art
