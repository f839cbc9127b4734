// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bmp_writer.h"

namespace zorvat::art {

/** The program icon: the logo in cyan and red on a tilted green square, 32 x 32 in 16 colours. */
IndexedPicture programIcon();

/** The blank tile: 32 x 32, every pixel colour 2 of the standard table, the game's green. */
IndexedPicture blankTile();

} // namespace zorvat::art
