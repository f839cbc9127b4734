// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clock.h"
#include "game_music.h"
#include "game_records.h"
#include "game_state.h"
#include "game_view.h"
#include "random.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace zorvat {

// The game itself: the dealt pattern and the player's grid, the question counter, the
// deal, the hide, selection, toggling and the check, and the idle-driven screens.
// Every handler is named after the window event that calls it.
class Game {
public:
    Game(GameView& view, GameMusic& music, GameRecords& records, const Clock& clock);

    // The grids and question counters (indexed from 1).
    std::int32_t QuestionNo = 0;
    std::int32_t ShowCount = 0;
    std::int32_t KindCount = 0;
    std::array<std::int32_t, CellCount + 1> Answer {};
    std::array<std::int32_t, CellCount + 1> Board {};

    // The main window's game data.
    bool Showing = false;
    std::int32_t SelKind = 0;
    zorvat::GameState GameState = 0; // gsTitle from start-up on
    std::int32_t AnimStep = 0;
    std::int32_t AnimHold = 0;
    std::int32_t Score = 0;

    Random rng;

    /** The game's share of start-up, in its order: the title screen, both buttons greyed out, the zoom from its
        first step. */
    void startUp();
    /** "開始": abandons whatever runs and starts a new game. */
    void N1Click();
    /** "Open": counts the question, sizes it by the question table and deals it. */
    void Button1Click();
    /** The hide timer's tick. */
    void Timer1Timer();
    /** A palette box was clicked; `boxName` is its name, "PaintBox1".."PaintBox5". */
    void PaintBox1Click(std::string_view boxName);
    /** A grid box was clicked; `boxName` is its name, "PaintBox6".."PaintBox30". */
    void PaintBox6Click(std::string_view boxName);
    /** "OK": checks the rebuilt grid against the deal. */
    void Button2Click();

    /** Deals ShowCount tiles of kinds 1..KindCount onto random free cells and starts the hide. */
    void Open_proc();
    /** Hides the grid, empties the board, stops the timer and enables "OK". */
    void Close_proc();
    /** Frames `kind` red in the palette, then selects it. */
    void Sel_proc(std::int32_t kind);
    /** Empties an occupied cell, or places the selected kind in an empty one. */
    void Put_proc(std::int32_t cell);
    /** Paints the 25 cells from Board. */
    void Paint_map();
    /** Paints the five palette faces. */
    void paint_sel();

    /** One idle step: one frame of the current screen. Always asks to be called again. */
    void AppIdle(bool& IdleDone);
    /** One frame of the title zoom, then the title tune's check. */
    void Title_proc();
    /** One frame of the correct-answer zoom. */
    void seikai_proc();
    /** One frame of the game-over zoom; after its last frame, the end of the game. */
    void over_proc();

private:
    void zoomFrame(Picture picture);
    void finishAfterYes();
    void loopStepping();

    // How far the end of the game has gone on the game-over screen.
    enum class OverEnd {
        Zooming, // the zoom runs; its last frame begins the end
        // The end has begun: later idle steps, including those of the ranking question's and name
        // prompt's own loops, leave the screen alone.
        Begun,
        // The ranking page could not be written: the step that failed has had its error box, and the
        // next step goes on with the end of the game.
        PageFailed,
    };

    GameView& m_view;
    GameMusic& m_music;
    GameRecords& m_records;
    const Clock& m_clock;
    OverEnd m_overEnd = OverEnd::Zooming;
};

} // namespace zorvat
