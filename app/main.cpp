// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessible_widgets.h"
#include "clock.h"
#include "desktop_opener.h"
#include "error_box.h"
#include "file_calls.h"
#include "fonts.h"
#include "game.h"
#include "idle_hook.h"
#include "ini_file.h"
#include "main_window.h"
#include "name_prompt_dialog.h"
#include "pictures.h"
#include "rank_target.h"
#include "ranking_question_box.h"
#include "records_window.h"
#include "score_keeper.h"
#include "stop_signals.h"
#include "translation.h"
#include "tune_players.h"
#include "zorvat_app.h"

#include <QApplication>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>

using namespace zorvat;

namespace {

extern "C" void onFileSizeLimit(int)
{
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // A stop signal ends the program as "終了" does, also inside a box's own loop, which then
    // closes as if cancelled; a save under way finishes first.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, [] { QCoreApplication::exit(0); });
    // A file that would pass the file-size limit then fails to be written, with an error box,
    // instead of ending the game. Handled rather than ignored, so that the programs the game
    // starts (the browser) get the usual handling back.
    std::signal(SIGXFSZ, onFileSizeLimit);
    // The application title; the window title is its own, so no display name is appended to it.
    QApplication::setApplicationName(QStringLiteral("Zorvat"));
    QApplication::setDesktopFileName(QStringLiteral("org.zorvat.Zorvat"));
    QApplication::setWindowIcon(Pictures::appIcon());
    installFontSubstitutes();
    QApplication::setFont(gameFont(12));
    // Before the first window: every text is taken in the player's language as it is made.
    const Translation translation(chooseLanguage());
    installAccessibleWidgets();

    const Pictures& pictures = Pictures::instance();
    // The main window first, then the records window, hidden until "記録".
    MainWindow window(pictures);
    TForm2 recordsWindow(pictures);
    TunePlayers tunes;
    NamePromptDialog namePrompt;
    RankingQuestionBox rankingQuestion;
    DesktopOpener desktop;
    const FileCalls files;
    // The ranking server is chosen once, before any game; the user's ranking.conf is looked for in
    // the configuration folder that holds the settings file. A bad setting is only reported on
    // standard error: the game plays the same whichever server its page posts to.
    const std::filesystem::path settingsFile = TIniFile::defaultLocation();
    const InternetRank::RankTarget rankTarget = InternetRank::findRankTarget(
        [](const char* name) { return std::getenv(name); }, settingsFile.parent_path(), std::cerr);
    ScoreKeeper records(settingsFile, rankTarget, namePrompt, rankingQuestion, desktop, files);
    const SystemClock clock;
    Game game(window, tunes, records, clock);
    IdleHook idle([&game](bool& IdleDone) { game.AppIdle(IdleDone); }, showErrorBox);
    ZorvatApp app(window, game, tunes, records, recordsWindow, idle, desktop, showErrorBox);

    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&idle] { idle.uninstall(); });
    window.show();
    // A stop that came during start-up, before there was a loop to end.
    if (!stopSignals.received())
        application.exec();
    // The game ends the same way whichever way its window was closed.
    return 0;
}
