// SPDX-License-Identifier: GPL-3.0-or-later
#include "game.h"

#include <string>

namespace zorvat {

namespace {

// Marks a game-over screen whose end of game has begun: later idle steps, including
// those of the ranking question's and name prompt's own loops, leave it alone.
constexpr std::int32_t OverDone = 100;
constexpr std::int32_t FullStep = 32;
constexpr std::int32_t HoldFrames = 200;

} // namespace

void Game::AppIdle(bool& IdleDone)
{
    switch (GameState) {
    case gsTitle:
        Title_proc();
        break;
    case gsPlay:
        paint_sel();
        if (!Showing)
            Paint_map();
        if (music.IsStopped(Tune::Question))
            music.Play(Tune::Question);
        break;
    case gsCorrect:
        seikai_proc();
        break;
    case gsOver:
        over_proc();
        break;
    default:
        break;
    }
    // Set last: a step that fails leaves it true, and the loop then waits for input.
    IdleDone = false;
}

void Game::zoomFrame(Picture picture)
{
    for (int r = 1; r <= GridSide; ++r)
        for (int c = 1; c <= GridSide; ++c)
            view.DrawCellZoom((r - 1) * GridSide + c, picture, AnimStep);
}

void Game::loopStepping()
{
    ++AnimStep;
    if (AnimStep > FullStep) {
        ++AnimHold;
        if (AnimHold > HoldFrames) {
            AnimHold = 0;
            AnimStep = 0;
        } else {
            AnimStep = FullStep;
        }
    }
}

void Game::Title_proc()
{
    paint_sel();
    zoomFrame(Picture::im2);
    loopStepping();
    if (music.IsStopped(Tune::Title))
        music.Play(Tune::Title);
}

void Game::seikai_proc()
{
    zoomFrame(Picture::im3);
    loopStepping();
}

void Game::over_proc()
{
    if (AnimStep == OverDone)
        return;
    zoomFrame(Picture::im_over);
    ++AnimStep;
    if (AnimStep <= FullStep)
        return;
    ++AnimHold;
    if (AnimHold <= HoldFrames) {
        AnimStep = FullStep;
        return;
    }

    AnimStep = OverDone;
    const std::string message = "スコア：" + std::to_string(Score) + "点をインターネットランキング申請しますか？";
    if (records.ConfirmRanking(message)) {
        // The page goes out before hiscchk, so it carries the count from before this game.
        records.WriteRankPage(Score);
        records.OpenRankPage();
        records.hiscchk(Score);
        GameState = gsTitle;
        music.Stop(Tune::Question);
        music.Play(Tune::Title);
    } else {
        records.hiscchk(Score);
        music.Stop(Tune::Question);
        music.Play(Tune::Title);
        GameState = gsTitle;
    }
}

} // namespace zorvat
