// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace zorvat {

/** The width a fixed-size window of `width` pixels needs for its title to be read whole. Under X the
    window manager draws the title bar and `width` stands. Under Wayland the title bar is drawn with the
    window itself: it centres the title over the window's whole width and keeps its right end for three
    buttons, so a window narrower than its title and that room on both sides shows part of its title. */
int widthForTitle(const QWidget& window, int width);

} // namespace zorvat
