// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_view.h"

#include <QIcon>
#include <QImage>

namespace zorvat {

// Every fixed picture of the game, drawn at one density. Every picture is held in the
// display's own 32-bit format, so that painting reads it directly.
struct PictureSet {
    QImage im1; // tile strip, 160 x 32: the five faces, kind 1 at the left
    QImage im_del; // blank tile, 32 x 32, solid green
    QImage im2; // title picture, 160 x 160
    QImage im3; // correct-answer picture, 160 x 160
    QImage im_over; // game-over picture, 160 x 160
    QImage backdrop; // main window's backdrop, 160 x 160
    QImage recordsBackground; // records window's background, 200 x 200

    /** One of the three screen pictures. */
    const QImage& screen(Picture picture) const;
};

// The fixed pictures of the game, compiled into the program and loaded once: those at
// their own size (the sizes above), and the same drawings at twice the pixels, of
// device-pixel ratio 2, for a screen of twice the density. Only such a screen needs the
// second set, so it is loaded when first asked for.
struct Pictures : PictureSet {
    /** The pictures of the running game at their own size; throws Error if one is missing or misshapen. */
    static const Pictures& instance();
    /** The game's pictures at twice the pixels, loaded on the first call; throws as instance() does. */
    static const PictureSet& doubled();
    /** What a screen of `devicePixelRatio` shows: doubled() above 1.5, where every picture pixel spans
        two screen pixels or more each way, and these pictures otherwise. */
    const PictureSet& forRatio(qreal devicePixelRatio) const;
    /** The program icon, for the application and its windows (needs the application object). */
    static QIcon appIcon();
};

} // namespace zorvat
