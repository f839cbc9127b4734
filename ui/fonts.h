// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

namespace zorvat {

// The window font's family as the game names it; it is mapped onto an installed
// Japanese proportional Gothic face by installFontSubstitutes().
inline constexpr char16_t WindowFontFamily[] = u"ＭＳ Ｐゴシック";

/** Maps the game's font name (Japanese and ASCII spellings) onto installed faces. Call once. */
void installFontSubstitutes();
/** The game's font at a character height in pixels. */
QFont gameFont(int pixelHeight, bool bold = false);

} // namespace zorvat
