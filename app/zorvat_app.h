// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "error_box.h"
#include "game.h"
#include "game_records.h"
#include "high_scores.h"
#include "idle_hook.h"
#include "ini_file.h"
#include "name_prompt_dialog.h"
#include "tune_players.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

namespace zorvat {

class MainWindow;
class TForm2;
struct Pictures;

// Whatever the tests replace; anything left empty is the real thing.
struct Seams {
    const Clock* clock = nullptr;
    ErrorReporter report;
    std::function<bool(const QString& message)> confirmRanking;
    NamePrompt* namePrompt = nullptr;
    GameMusic* music = nullptr;
    std::function<void(TForm2& records)> showRecords;
    std::filesystem::path iniFile;
    int idlePeriodMs = IdleHook::IdlePeriodMs;
};

// The whole program: the two windows, the game, its records and tunes, the idle hook,
// and the order in which they come up.
class ZorvatApp : public GameRecords {
public:
    explicit ZorvatApp(Seams seams = {});
    ~ZorvatApp() override;

    /** The main window's start-up, in its fixed order; the idle hook goes in last. */
    void FormCreate();
    /** Shows the main window, centred. */
    void show();

    /** "記録(&K)": the records window beside the main window, modal. */
    void K1Click();
    /** "ﾍﾙﾌﾟ(&H)": the help document. */
    void Help1Click();

    // GameRecords
    bool ConfirmRanking(const std::string& message) override;
    void WriteRankPage(std::int32_t score) override;
    void OpenRankPage() override;
    void hiscchk(std::int32_t score) override;

    MainWindow& window() { return *m_window; }
    Game& game() { return *m_game; }
    HighScores& table() { return m_table; }
    IdleHook& idle() { return *m_idle; }
    TForm2& records() { return *m_records; }
    const std::string& AppDir() const { return m_appDir; }

private:
    void wire();
    void report(const QString& text);

    Seams m_seams;
    SystemClock m_systemClock;
    TunePlayers m_tunes;
    NamePromptDialog m_namePrompt;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<Game> m_game;
    std::unique_ptr<IdleHook> m_idle;
    std::unique_ptr<TForm2> m_records;
    std::unique_ptr<TIniFile> Ini;
    HighScores m_table;
    std::string m_appDir;
};

} // namespace zorvat
