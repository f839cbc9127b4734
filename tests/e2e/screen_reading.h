// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <array>

namespace zorvat {
struct Pictures;
}

namespace zorvat::e2e {

// What a cell shows: 0 plain green (hidden or empty), 1..5 the face of that kind, or
// Unreadable for anything else (a zoom frame, a half-drawn cell).
constexpr int Unreadable = -1;
using Grid = std::array<int, 26>; // cells 1..25; [0] unused

// Where the main window's parts stand in its 415 x 277 client area.
namespace place {
constexpr QRect pn_mon(235, 184, 86, 33);
constexpr QRect pn_sc(328, 184, 81, 33);
constexpr QRect Button1(235, 232, 86, 33);
constexpr QRect Button2(328, 232, 81, 33);
/** The 32 x 32 box of cell 1..25. */
QRect cellBox(int cell);
/** The 32 x 32 box of palette kind 1..5. */
QRect paletteBox(int kind);
/** A pixel of the white rim of cell 1..25's frame, which the keyboard's cursor turns yellow. */
QPoint cellRim(int cell);
/** A pixel of the wide right-hand rim of palette frame 1..5, which turns red when its kind is selected. */
QPoint paletteRim(int kind);
/** A spot on the backdrop where a click does nothing. */
constexpr QPoint idleSpot(400, 20);
} // namespace place

// Reads the grid and the palette off a screenshot, pixel for pixel against the game's
// own pictures: a dealt or placed tile shows exactly the piece of its kind.
class ScreenReader {
public:
    explicit ScreenReader(const Pictures& pictures);

    /** The 25 cells of the main window whose client area starts at `client`. */
    Grid grid(const QImage& shot, QPoint client) const;
    /** True when every cell shows its own 32 x 32 share of the 160 x 160 `picture`, as at the end of a zoom. */
    bool showsWholePicture(const QImage& shot, QPoint client, const QImage& picture) const;
    /** The kind whose palette frame is red, 0 when none is, Unreadable when more than one is. */
    int selectedKind(const QImage& shot, QPoint client) const;
    /** The cell whose frame shows the keyboard's cursor, 0 when none does, Unreadable when more than one does. */
    int cursorCell(const QImage& shot, QPoint client) const;

private:
    int cellKind(const QImage& shot, QRect box) const;

    std::array<QImage, 6> m_faces; // kinds 1..5
    QImage m_blank;
};

/** True when `shot` holds `expected` with its top-left corner at `at`, pixel for pixel. */
bool showsImage(const QImage& shot, QPoint at, const QImage& expected);
/** A picture of `expected` beside what `shot` holds at `at`, for a failure's report. */
QImage sideBySide(const QImage& shot, QPoint at, const QImage& expected);

} // namespace zorvat::e2e
