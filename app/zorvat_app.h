// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "error_box.h"

#include <QObject>

#include <string>

namespace zorvat {

class DocumentOpener;
class Game;
class IdleHook;
class MainWindow;
class ScoreKeeper;
class TForm2;
class TunePlayers;

// The program put together from its parts, which the caller makes, the main window first:
// the window's events go to the game, each guarded by the error box; start-up runs in its
// fixed order; "記録" and "ﾍﾙﾌﾟ" open the records window and the help.
class ZorvatApp {
public:
    /** Wires the parts and runs start-up, whose last step starts the idle steps. */
    ZorvatApp(MainWindow& window, Game& game, TunePlayers& tunes, ScoreKeeper& records, TForm2& recordsWindow,
        IdleHook& idle, DocumentOpener& opener, ErrorReporter report);
    /** Shuts down: no more idle steps, the hide timer stopped, both tunes closed. */
    ~ZorvatApp();
    ZorvatApp(const ZorvatApp&) = delete;
    ZorvatApp& operator=(const ZorvatApp&) = delete;

    /** "記録(&K)": the records window with the table as the settings file now holds it, beside the
        main window, modal. */
    void K1Click();
    /** "ﾍﾙﾌﾟ(&H)": the help document. */
    void Help1Click();

private:
    void FormCreate();
    void wire();
    template <typename... Args, typename Handler> void route(void (MainWindow::*event)(Args...), Handler handler);
    void report(const QString& text);

    MainWindow& m_window;
    Game& m_game;
    TunePlayers& m_tunes;
    ScoreKeeper& m_records;
    TForm2& m_recordsWindow;
    IdleHook& m_idle;
    DocumentOpener& m_opener;
    ErrorReporter m_report;
    // The receiver of every connection to the window, so that none outlives the wiring.
    QObject m_wiring;
    std::string AppDir;
};

} // namespace zorvat
