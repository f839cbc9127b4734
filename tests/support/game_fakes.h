// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clock.h"
#include "error.h"
#include "game.h"
#include "game_music.h"
#include "game_records.h"
#include "game_view.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace zorvat::testing {

// A window that remembers what each cell and palette frame shows and logs every call.
class FakeView : public GameView {
public:
    enum class Look { White, Kind, Empty, Hidden, Zoom };
    struct CellLook {
        Look look = Look::White;
        int value = 0; // kind, or zoom step
        Picture picture = Picture::im2;
    };

    std::array<CellLook, CellCount + 1> cells {};
    std::array<Rgb, KindMax + 1> frames {};
    std::string pn_mon = "1問目";
    std::string pn_sc = "0000";
    bool button1 = false;
    bool button2 = false;
    bool timerRunning = false;
    int timerInterval = 1000;
    int timerStarts = 0; // fresh periods started
    std::vector<std::string> log;
    std::function<void()> onProcessPending;

    void DrawCellKind(int cell, int kind) override
    {
        cells[cell] = { Look::Kind, kind, {} };
        log.push_back("kind " + std::to_string(cell) + " " + std::to_string(kind));
    }
    void DrawCellEmpty(int cell) override
    {
        cells[cell] = { Look::Empty, 0, {} };
        log.push_back("empty " + std::to_string(cell));
    }
    void FillCellHidden(int cell) override
    {
        cells[cell] = { Look::Hidden, 0, {} };
        log.push_back("hidden " + std::to_string(cell));
    }
    void DrawCellZoom(int cell, Picture picture, int step) override
    {
        cells[cell] = { Look::Zoom, step, picture };
        log.push_back("zoom " + std::to_string(cell) + " " + std::to_string(step));
    }
    void paint_sel() override { log.push_back("paint_sel"); }
    void SetPaletteFrame(int kind, Rgb colour) override
    {
        frames[kind] = colour;
        log.push_back("frame " + std::to_string(kind));
    }
    void ProcessPending() override
    {
        log.push_back("pending");
        if (onProcessPending)
            onProcessPending();
    }
    void SetPanelText(Panel panel, const std::string& text) override
    {
        (panel == Panel::pn_mon ? pn_mon : pn_sc) = text;
    }
    void SetButtonEnabled(Button button, bool on) override { (button == Button::Button1 ? button1 : button2) = on; }
    void StartHideTimer(int ms) override
    {
        if (!timerRunning || ms != timerInterval)
            ++timerStarts;
        timerInterval = ms;
        timerRunning = true;
    }
    void StopHideTimer() override { timerRunning = false; }

    int countLog(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& line : log)
            n += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }
};

// Tunes that log every call, can be told they have stopped and can fail to be stopped.
class FakeMusic : public GameMusic {
public:
    bool titleStopped = false;
    bool questionStopped = true;
    bool failStop = false;
    std::vector<std::string> log;

    void Play(Tune tune) override
    {
        stopped(tune) = false;
        log.push_back(tune == Tune::Title ? "play title" : "play question");
    }
    void Stop(Tune tune) override
    {
        if (failStop)
            throw Error("MCI ﾃﾞﾊﾞｲｽがありません");
        stopped(tune) = true;
        log.push_back(tune == Tune::Title ? "stop title" : "stop question");
    }
    bool IsStopped(Tune tune) override { return stopped(tune); }

private:
    bool& stopped(Tune tune) { return tune == Tune::Title ? titleStopped : questionStopped; }
};

// The end-of-game side: logs each step into a shared list, answers the ranking question
// as told, and can fail a step.
class FakeRecords : public GameRecords {
public:
    explicit FakeRecords(std::vector<std::string>& log)
        : log(log)
    {
    }

    bool answerYes = false;
    bool failPage = false;
    bool failSave = false;
    std::function<void()> whileAsking; // runs inside the modal question
    std::vector<std::string>& log;
    std::string lastMessage;
    int hiscchkCalls = 0;
    int lastScore = -1;

    bool ConfirmRanking(const std::string& message) override
    {
        lastMessage = message;
        log.push_back("confirm");
        if (whileAsking)
            whileAsking();
        return answerYes;
    }
    void WriteRankPage(std::int32_t score) override
    {
        log.push_back("page");
        if (failPage)
            throw Error("ﾌｧｲﾙへのｱｸｾｽが拒否されました");
        lastScore = score;
    }
    void OpenRankPage() override { log.push_back("open page"); }
    void hiscchk(std::int32_t score) override
    {
        log.push_back("hiscchk");
        ++hiscchkCalls;
        if (failSave)
            throw Error("Zorvat.ini に書き込めません");
        lastScore = score;
    }
};

class FixedClock : public Clock {
public:
    TimeOfDay now {};
    TimeOfDay utcTimeOfDay() const override { return now; }
};

// A game wired to fakes, started up as the shell does.
struct GameRig {
    FakeView view;
    FakeMusic music;
    FakeRecords records { music.log };
    FixedClock clock;
    Game game { view, music, records, clock };

    GameRig() { game.startUp(); }

    /** Deals the next question and lets the hide timer fire. */
    void openAndHide()
    {
        game.Button1Click();
        game.Timer1Timer();
    }
    /** Rebuilds the dealt pattern on the board by palette and cell clicks. */
    void rebuild()
    {
        for (int cell = 1; cell <= CellCount; ++cell) {
            const int kind = game.Answer[cell];
            if (kind == 0)
                continue;
            game.PaintBox1Click("PaintBox" + std::to_string(kind));
            game.PaintBox6Click("PaintBox" + std::to_string(cell + 5));
        }
    }
    void idle(int calls = 1)
    {
        for (int i = 0; i < calls; ++i) {
            bool done = true;
            game.AppIdle(done);
        }
    }
};

inline std::string box(int cell)
{
    return "PaintBox" + std::to_string(cell + 5);
}

} // namespace zorvat::testing
