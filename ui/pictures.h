// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_view.h"

#include <QIcon>
#include <QImage>

namespace zorvat {

// The fixed pictures of the game, compiled into the program and loaded once. Every
// picture is held in the display's own 32-bit format, so that painting reads it directly.
struct Pictures {
    QImage im1; // tile strip, 160 x 32: the five faces, kind 1 at the left
    QImage im_del; // blank tile, 32 x 32, solid green
    QImage im2; // title picture, 160 x 160
    QImage im3; // correct-answer picture, 160 x 160
    QImage im_over; // game-over picture, 160 x 160
    QImage backdrop; // main window's backdrop, 160 x 160
    QImage recordsBackground; // records window's background, 200 x 200

    /** The pictures of the running game; throws Error if one is missing or misshapen. */
    static const Pictures& instance();
    /** One of the three screen pictures. */
    const QImage& screen(Picture picture) const;
    /** The program icon, for the application and its windows (needs the application object). */
    static QIcon appIcon();
};

} // namespace zorvat
