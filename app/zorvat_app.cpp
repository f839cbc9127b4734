// SPDX-License-Identifier: GPL-3.0-or-later
#include "zorvat_app.h"

#include "game.h"
#include "idle_hook.h"
#include "main_window.h"
#include "records_window.h"
#include "score_keeper.h"
#include "shell_open.h"
#include "tune_players.h"

#include <QCoreApplication>

namespace zorvat {

ZorvatApp::ZorvatApp(MainWindow& window, Game& game, TunePlayers& tunes, ScoreKeeper& records, TForm2& recordsWindow,
    IdleHook& idle, DocumentOpener& opener, ErrorReporter report)
    : m_window(window)
    , m_game(game)
    , m_tunes(tunes)
    , m_records(records)
    , m_recordsWindow(recordsWindow)
    , m_idle(idle)
    , m_opener(opener)
    , m_report(std::move(report))
{
    m_window.setProcessPending([this] {
        IdleHook::Suspend noIdle(m_idle);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    });
    wire();
    FormCreate();
}

ZorvatApp::~ZorvatApp()
{
    m_idle.uninstall();
    m_window.StopHideTimer();
    m_tunes.closeAll();
}

void ZorvatApp::report(const QString& text)
{
    IdleHook::Suspend still(m_idle);
    m_report(text);
}

void ZorvatApp::FormCreate()
{
    m_records.load();
    AppDir = QCoreApplication::applicationDirPath().toStdString() + "/";
    m_tunes.openAll(AppDir, [this](const QString& text) { report(text); });
    m_game.startUp();
    m_idle.install();
}

template <typename... Args, typename Handler> void ZorvatApp::route(void (MainWindow::*event)(Args...), Handler handler)
{
    QObject::connect(&m_window, event, &m_wiring, [this, handler](Args... args) {
        guarded([this](const QString& text) { report(text); }, [&] { handler(args...); });
    });
}

void ZorvatApp::wire()
{
    Game& g = m_game;
    route(&MainWindow::N1Clicked, [&g] { g.N1Click(); });
    route(&MainWindow::Button1Clicked, [&g] { g.Button1Click(); });
    route(&MainWindow::Button2Clicked, [&g] { g.Button2Click(); });
    route(&MainWindow::Timer1Fired, [&g] { g.Timer1Timer(); });
    route(&MainWindow::PaintBox1Clicked, [&g](const QString& name) { g.PaintBox1Click(name.toStdString()); });
    route(&MainWindow::PaintBox6Clicked, [&g](const QString& name) { g.PaintBox6Click(name.toStdString()); });
    route(&MainWindow::K1Clicked, [this] { K1Click(); });
    route(&MainWindow::Help1Clicked, [this] { Help1Click(); });
}

void ZorvatApp::K1Click()
{
    // Another copy of the game may have saved since: the window shows the file as it stands.
    m_records.load();
    m_recordsWindow.fill(m_records.table(), m_window);
    m_recordsWindow.exec();
}

void ZorvatApp::Help1Click()
{
    InternetRank::OpenReadme(m_opener);
}

} // namespace zorvat
