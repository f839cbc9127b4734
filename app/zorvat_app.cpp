// SPDX-License-Identifier: GPL-3.0-or-later
#include "zorvat_app.h"

#include "internet_rank.h"
#include "main_window.h"
#include "pictures.h"
#include "ranking_question.h"
#include "records_window.h"

#include <QCoreApplication>
#include <QPushButton>

namespace zorvat {

ZorvatApp::ZorvatApp(Seams seams)
    : m_seams(std::move(seams))
{
    // The main window comes first and runs its start-up; the records window follows, hidden.
    m_window = std::make_unique<MainWindow>(Pictures::instance());
    GameMusic& music = m_seams.music ? *m_seams.music : static_cast<GameMusic&>(m_tunes);
    const Clock& clock = m_seams.clock ? *m_seams.clock : static_cast<const Clock&>(m_systemClock);
    m_game = std::make_unique<Game>(*m_window, music, *this, clock);
    m_idle = std::make_unique<IdleHook>([this](bool& IdleDone) { m_game->AppIdle(IdleDone); },
        [this](const QString& text) { report(text); }, m_seams.idlePeriodMs);
    m_window->setProcessPending([this] {
        IdleHook::Suspend noIdle(*m_idle);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    });
    wire();
    FormCreate();
    m_records = std::make_unique<TForm2>();
}

ZorvatApp::~ZorvatApp()
{
    m_idle->uninstall();
    m_window->StopHideTimer();
    m_tunes.closeAll();
}

void ZorvatApp::report(const QString& text)
{
    IdleHook::Suspend still(*m_idle);
    if (m_seams.report)
        m_seams.report(text);
    else
        showErrorBox(text);
}

void ZorvatApp::FormCreate()
{
    Ini = std::make_unique<TIniFile>(m_seams.iniFile.empty() ? TIniFile::defaultLocation() : m_seams.iniFile);
    m_table.load(*Ini);
    m_appDir = QCoreApplication::applicationDirPath().toStdString() + "/";
    if (!m_seams.music)
        m_tunes.openAll(m_appDir, [this](const QString& text) { report(text); });
    m_game->GameState = gsTitle;
    m_window->SetButtonEnabled(Button::Button1, false);
    m_window->SetButtonEnabled(Button::Button2, false);
    // TileBuf and the cell and palette tables are made with the window itself.
    m_game->AnimStep = 0;
    m_game->AnimHold = 0;
    m_idle->install();
}

void ZorvatApp::show()
{
    m_window->show();
}

void ZorvatApp::wire()
{
    const ErrorReporter rep = [this](const QString& text) { report(text); };
    MainWindow* w = m_window.get();
    Game* g = m_game.get();
    QObject::connect(w, &MainWindow::N1Clicked, w, [g, rep] { guarded(rep, [g] { g->N1Click(); }); });
    QObject::connect(w, &MainWindow::Button1Clicked, w, [g, rep] { guarded(rep, [g] { g->Button1Click(); }); });
    QObject::connect(w, &MainWindow::Button2Clicked, w, [g, rep] { guarded(rep, [g] { g->Button2Click(); }); });
    QObject::connect(w, &MainWindow::Timer1Fired, w, [g, rep] { guarded(rep, [g] { g->Timer1Timer(); }); });
    QObject::connect(w, &MainWindow::PaintBox1Clicked, w,
        [g, rep](const QString& name) { guarded(rep, [g, &name] { g->PaintBox1Click(name.toStdString()); }); });
    QObject::connect(w, &MainWindow::PaintBox6Clicked, w,
        [g, rep](const QString& name) { guarded(rep, [g, &name] { g->PaintBox6Click(name.toStdString()); }); });
    QObject::connect(w, &MainWindow::K1Clicked, w, [this, rep] { guarded(rep, [this] { K1Click(); }); });
    QObject::connect(w, &MainWindow::Help1Clicked, w, [this, rep] { guarded(rep, [this] { Help1Click(); }); });
}

void ZorvatApp::K1Click()
{
    m_records->fill(m_table, *m_window);
    if (m_seams.showRecords)
        m_seams.showRecords(*m_records);
    else
        m_records->exec();
}

void ZorvatApp::Help1Click()
{
    InternetRank::OpenReadme();
}

bool ZorvatApp::ConfirmRanking(const std::string& message)
{
    const QString text = QString::fromStdString(message);
    return m_seams.confirmRanking ? m_seams.confirmRanking(text) : askRankingQuestion(text);
}

void ZorvatApp::WriteRankPage(std::int32_t score)
{
    InternetRank::WriteRankPage(score, m_table.PlayCount);
}

void ZorvatApp::OpenRankPage()
{
    InternetRank::OpenRankPage();
}

void ZorvatApp::hiscchk(std::int32_t score)
{
    m_table.hiscchk(score, m_seams.namePrompt ? *m_seams.namePrompt : m_namePrompt, *Ini);
}

} // namespace zorvat
