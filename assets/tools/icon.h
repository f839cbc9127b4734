// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bmp_writer.h"

#include <QImage>

namespace zorvat::art {

/** The program icon: the logo in cyan and red on a tilted green square, 32 x 32 in 16 colours. */
IndexedPicture programIcon();

/** The sizes, in pixels, at which the launcher icon is drawn for the desktop's icon theme. */
inline constexpr int LauncherIconSizes[] = { 16, 24, 32, 48, 64, 128, 256 };

/** The program icon drawn afresh for a launcher at one of LauncherIconSizes, true colour with
    alpha: pixel by pixel up to 32 (the 32-pixel one is the program icon itself), smooth above. */
QImage launcherIcon(int size);

/** The blank tile: 32 x 32 times `resolution` each way, every pixel colour 2 of the standard
 *  table, the game's green. */
IndexedPicture blankTile(int resolution = 1);

} // namespace zorvat::art
