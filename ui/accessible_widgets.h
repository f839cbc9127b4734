// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zorvat {

/** Tells assistive technology what the game's own widgets are: a palette face is a radio button,
    checked while it is the picked one; a grid cell is a table cell; both can be pressed. A panel with
    a caption is a label reading it, any other panel a pane. Call once, before the windows are made. */
void installAccessibleWidgets();

} // namespace zorvat
