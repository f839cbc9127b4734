// SPDX-License-Identifier: GPL-3.0-or-later
#include "game.h"

#include <string>

namespace zorvat {

namespace {

// Marks a game-over screen whose end of game has begun: later idle steps, including
// those of the ranking question's and name prompt's own loops, leave it alone.
constexpr std::int32_t OverDone = 100;
// Marks an end of game whose ranking page could not be written: the step that failed has had
// its error box, and the next step goes on with the end of the game.
constexpr std::int32_t PageFailed = 101;
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
        if (m_music.IsStopped(Tune::Question))
            m_music.Play(Tune::Question);
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
            m_view.DrawCellZoom((r - 1) * GridSide + c, picture, AnimStep);
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
    if (m_music.IsStopped(Tune::Title))
        m_music.Play(Tune::Title);
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
    if (AnimStep == PageFailed) {
        AnimStep = OverDone;
        finishAfterYes();
        return;
    }
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
    // The two answers switch screen and tunes in opposite orders, on purpose; they part only when
    // a tune cannot be switched. After "はい" the page is already with the browser, so the game is
    // back on the title before the tunes change; after "いいえ" the tunes change first, and a
    // failing switch leaves the still game-over screen, as a failed save does, "開始" the way on.
    if (m_records.ConfirmRanking(message)) {
        // The page goes out before hiscchk, so it carries the count from before this game. A page
        // that cannot be written costs the player nothing but the page: the shell shows its error,
        // and the next step counts and saves the game all the same.
        try {
            m_records.WriteRankPage(Score);
        } catch (...) {
            AnimStep = PageFailed;
            throw;
        }
        m_records.OpenRankPage();
        finishAfterYes();
    } else {
        m_records.hiscchk(Score);
        m_music.Stop(Tune::Question);
        m_music.Play(Tune::Title);
        GameState = gsTitle;
    }
}

void Game::finishAfterYes()
{
    m_records.hiscchk(Score);
    GameState = gsTitle;
    m_music.Stop(Tune::Question);
    m_music.Play(Tune::Title);
}

} // namespace zorvat
