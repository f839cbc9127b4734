// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

namespace zorvat::art {

// Each picture is drawn at `resolution` pixels per picture pixel each way: 1 for an
// ordinary screen, 2 for a screen of twice the density; the sizes below are in picture pixels.

/** The title picture: a signboard with the game's name over a pink brick wall, 160 x 160. */
QImage titlePicture(int resolution = 1);
/** The correct-answer picture: a big red OK on a blue-to-violet brick wall, 160 x 160. */
QImage correctPicture(int resolution = 1);
/** The game-over picture: GAME OVER on a pinned sheet of paper, 160 x 160. */
QImage gameOverPicture(int resolution = 1);
/** The main window's backdrop: a dark teal wall with the logo and a blurred red face, 160 x 160. */
QImage backdropPicture(int resolution = 1);
/** The records window's background: a blue wall with the rank words down its left edge, 200 x 200. */
QImage recordsBackground(int resolution = 1);

/** Where the rank word of rank 1..5 lies in the records background, top and bottom rows. */
struct RankRows {
    int top;
    int bottom;
};
inline constexpr RankRows RankWordRows[] = { { 6, 19 }, { 43, 55 }, { 79, 92 }, { 116, 128 }, { 152, 165 } };
inline constexpr int RankWordLeft = 4;
inline constexpr int RankWordRight = 29;

} // namespace zorvat::art
