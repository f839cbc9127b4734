// SPDX-License-Identifier: GPL-3.0-or-later
#include "title_room.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QWidget>

#include <algorithm>

namespace zorvat {

namespace {

// What the title bar drawn under Wayland keeps at its right end: three 18-pixel buttons, the gaps
// beside them and the frame.
constexpr int ButtonRoom = 3 * 18 + 3 * 5 + 8 + 3;
// The size its title is lettered in.
constexpr int TitlePixels = 14;

} // namespace

int widthForTitle(const QWidget& window, int width)
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return width;
    QFont font = QGuiApplication::font();
    font.setPixelSize(TitlePixels);
    const int title = QFontMetrics(font).horizontalAdvance(window.windowTitle());
    return std::max(width, title + 2 * ButtonRoom);
}

} // namespace zorvat
