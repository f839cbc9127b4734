// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_state.h"

#include <string>

namespace zorvat {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb White { 255, 255, 255 };
inline constexpr Rgb Red { 255, 0, 0 };
inline constexpr Rgb HiddenGreen { 0, 128, 0 };

enum class Panel { pn_mon, pn_sc };
enum class Button { Button1, Button2 };
// The three 160 x 160 screen pictures that the zoom cuts into the grid.
enum class Picture { im2, im3, im_over };

// Everything the game changes in the main window goes through here, so the rules run
// against a fake in tests and against the real window in the game.
class GameView {
public:
    virtual ~GameView() = default;

    /** Paints the face of tile kind 1..5 into cell 1..25. */
    virtual void DrawCellKind(int cell, int kind) = 0;
    /** Paints the blank green tile into the cell. */
    virtual void DrawCellEmpty(int cell) = 0;
    /** Fills the cell with solid green, without going through the work bitmap. */
    virtual void FillCellHidden(int cell) = 0;
    /** Paints the step x step square at the cell's corner of its share of the picture, enlarged to the cell. */
    virtual void DrawCellZoom(int cell, Picture picture, int step) = 0;
    /** Paints the five faces into the palette boxes, kind 1 at the left. */
    virtual void paint_sel() = 0;
    /** Sets the rim colour of the frame around palette box `kind`. */
    virtual void SetPaletteFrame(int kind, Rgb colour) = 0;
    /** Lets the window handle every queued message; never runs the idle step. */
    virtual void ProcessPending() = 0;
    /** Sets the caption of the question or the score panel (UTF-8). */
    virtual void SetPanelText(Panel panel, const std::string& text) = 0;
    /** Enables or greys out "Open" or "OK". */
    virtual void SetButtonEnabled(Button button, bool on) = 0;
    /** Sets the hide timer's interval and enables it; it ticks until stopped. */
    virtual void StartHideTimer(int ms) = 0;
    /** Disables the hide timer. */
    virtual void StopHideTimer() = 0;
};

} // namespace zorvat
