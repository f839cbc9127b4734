// SPDX-License-Identifier: GPL-3.0-or-later
#include "game.h"

#include "question_table.h"

#include <charconv>
#include <string>

namespace zorvat {

namespace {

constexpr int HideAfterMs = 3000;

// "PaintBox17" -> 17; 0 when the name does not end in a decimal number.
int boxNumber(std::string_view boxName)
{
    constexpr std::string_view prefix = "PaintBox";
    if (boxName.size() <= prefix.size() || boxName.substr(0, prefix.size()) != prefix)
        return 0;
    const std::string_view digits = boxName.substr(prefix.size());
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return 0;
    return value;
}

} // namespace

Game::Game(GameView& view, GameMusic& music, GameRecords& records, const Clock& clock)
    : m_view(view)
    , m_music(music)
    , m_records(records)
    , m_clock(clock)
{
}

void Game::startUp()
{
    GameState = gsTitle;
    m_view.SetButtonEnabled(Button::Button1, false);
    m_view.SetButtonEnabled(Button::Button2, false);
    // TileBuf and the cell and palette tables, which come next, are made with the window itself.
    AnimStep = 0;
    AnimHold = 0;
}

void Game::N1Click()
{
    m_music.Stop(Tune::Title);
    m_music.Play(Tune::Question);
    GameState = gsPlay;
    SelKind = 1;
    Sel_proc(1);
    // Clearing also stops a hide that is still pending, so no late tick hides the next deal.
    Close_proc();
    QuestionNo = 0;
    ShowCount = 0;
    KindCount = 1;
    m_view.SetButtonEnabled(Button::Button1, true);
    m_view.SetButtonEnabled(Button::Button2, false);
    Score = 0;
    m_view.SetPanelText(Panel::pn_sc, std::to_string(Score) + "点");
}

void Game::Button1Click()
{
    GameState = gsPlay;
    Close_proc();
    ++QuestionNo;
    m_view.SetButtonEnabled(Button::Button1, false);
    m_view.SetButtonEnabled(Button::Button2, false);
    QuestionTable(QuestionNo, ShowCount, KindCount);
    m_view.SetPanelText(Panel::pn_mon, std::to_string(QuestionNo) + "問目");
    Open_proc();
}

void Game::Timer1Timer()
{
    Close_proc();
}

void Game::Open_proc()
{
    Answer.fill(0);
    m_view.StartHideTimer(HideAfterMs);
    Showing = true;
    rng.Reseed(m_clock);
    // The table never asks for more than ten tiles, so a free cell always remains;
    // the bound only keeps a corrupted count from spinning for ever.
    const std::int32_t tiles = ShowCount < CellCount ? ShowCount : CellCount;
    std::int32_t placed = 0;
    while (placed < tiles) {
        // Both numbers are drawn on every attempt, cell first, even when the cell is taken.
        const auto cell = static_cast<std::int32_t>(rng.RandomBelow(CellCount)) + 1;
        const auto kind = static_cast<std::int32_t>(rng.RandomBelow(static_cast<std::uint32_t>(KindCount))) + 1;
        if (Answer[cell] != 0)
            continue;
        Answer[cell] = kind;
        m_view.DrawCellKind(cell, kind);
        ++placed;
    }
}

void Game::Close_proc()
{
    for (int cell = 1; cell <= CellCount; ++cell) {
        m_view.FillCellHidden(cell);
        Board[cell] = 0;
    }
    m_view.StopHideTimer();
    Showing = false;
    m_view.SetButtonEnabled(Button::Button1, false);
    m_view.SetButtonEnabled(Button::Button2, true);
}

void Game::Sel_proc(std::int32_t kind)
{
    for (int k = 1; k <= KindMax; ++k)
        m_view.SetPaletteFrame(k, White);
    m_view.SetPaletteFrame(kind, Red);
    // Clicks already queued are handled here, before SelKind changes: such a click
    // places the kind that was selected when it was made.
    m_view.ProcessPending();
    paint_sel();
    SelKind = kind;
}

void Game::PaintBox1Click(std::string_view boxName)
{
    const int kind = boxNumber(boxName);
    if (kind >= 1 && kind <= KindMax)
        Sel_proc(kind);
}

void Game::PaintBox6Click(std::string_view boxName)
{
    if (Showing)
        return;
    const int cell = boxNumber(boxName) - 5;
    if (cell >= 1 && cell <= CellCount)
        Put_proc(cell);
}

void Game::Put_proc(std::int32_t cell)
{
    if (Board[cell] != 0) {
        m_view.DrawCellEmpty(cell);
        Board[cell] = 0;
        return;
    }
    // Before the first selection there is no kind to place: the cell stays empty.
    if (SelKind >= 1 && SelKind <= KindMax)
        m_view.DrawCellKind(cell, SelKind);
    else
        m_view.DrawCellEmpty(cell);
    Board[cell] = SelKind;
}

void Game::Button2Click()
{
    for (int i = 1; i <= CellCount; ++i) {
        if (Answer[i] != Board[i]) {
            AnimHold = 0;
            AnimStep = 0;
            m_overEnd = OverEnd::Zooming;
            GameState = gsOver;
            m_view.SetButtonEnabled(Button::Button1, false);
            m_view.SetButtonEnabled(Button::Button2, false);
            return;
        }
    }
    if (GameState == gsPlay) {
        ++Score;
        m_view.SetPanelText(Panel::pn_sc, std::to_string(Score));
        AnimHold = 0;
        AnimStep = 0;
        GameState = gsCorrect;
    }
    m_view.SetButtonEnabled(Button::Button1, true);
    m_view.SetButtonEnabled(Button::Button2, false);
}

void Game::Paint_map()
{
    for (int cell = 1; cell <= CellCount; ++cell) {
        if (Board[cell] == 0)
            m_view.DrawCellEmpty(cell);
        else
            m_view.DrawCellKind(cell, Board[cell]);
    }
}

void Game::paint_sel()
{
    m_view.paint_sel();
}

} // namespace zorvat
