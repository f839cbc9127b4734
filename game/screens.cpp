// SPDX-License-Identifier: GPL-3.0-or-later
#include "game.h"

#include <string>

namespace zorvat {

namespace {

constexpr std::int32_t FullStep = 32;
constexpr std::int32_t HoldFrames = 200;
constexpr std::int32_t TitleAfterOverStep = 100;

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
    if (m_overEnd == OverEnd::Begun)
        return;
    if (m_overEnd == OverEnd::PageFailed) {
        m_overEnd = OverEnd::Begun;
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

    m_overEnd = OverEnd::Begun;
    // The step the title screen takes over: its first frame after a game over is drawn from a
    // 100-pixel square of each cell's share of the title picture, then the zoom starts over.
    AnimStep = TitleAfterOverStep;
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
            m_overEnd = OverEnd::PageFailed;
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
