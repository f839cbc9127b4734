// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time, idle CPU on the title screen (paced against an unpaced loop) and peak
// memory of the whole program, measured in one run.
#include "clock.h"
#include "desktop_opener.h"
#include "file_calls.h"
#include "fonts.h"
#include "game.h"
#include "idle_hook.h"
#include "main_window.h"
#include "name_prompt_dialog.h"
#include "pictures.h"
#include "ranking_question_box.h"
#include "records_window.h"
#include "score_keeper.h"
#include "tune_players.h"
#include "zorvat_app.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

using namespace zorvat;

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long peakKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The whole program as main() puts it together, tunes and all, with its settings file in a
// folder of its own, errors dropped and idle steps counted.
struct Program {
    explicit Program(int idlePeriodMs)
        : records(dir.filePath(QStringLiteral("Zorvat.ini")).toStdString(), InternetRank::builtInRankTarget(),
            namePrompt, rankingQuestion, desktop, files)
        , idle(
              [this](bool& IdleDone) {
                  ++idleCalls;
                  game.AppIdle(IdleDone);
              },
              dropError, idlePeriodMs)
    {
        window.show();
    }

    static void dropError(const QString&) { }

    QTemporaryDir dir;
    long long idleCalls = 0;
    MainWindow window { Pictures::instance() };
    TForm2 recordsWindow { Pictures::instance() };
    TunePlayers tunes;
    NamePromptDialog namePrompt;
    RankingQuestionBox rankingQuestion;
    DesktopOpener desktop;
    const FileCalls files;
    ScoreKeeper records;
    const SystemClock clock;
    Game game { window, tunes, records, clock };
    IdleHook idle;
    ZorvatApp app { window, game, tunes, records, recordsWindow, idle, desktop, dropError };
};

// Runs the title screen for `seconds` with the given idle period; returns the share of one core used.
double titleScreenCpu(int periodMs, double seconds, long long* calls)
{
    Program program(periodMs);
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    *calls = program.idleCalls;
    return (cpuSeconds() - before) / (static_cast<double>(wall.elapsed()) / 1000.0);
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    QApplication application(argc, argv);
    installFontSubstitutes();
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;

    // Start-up: from the first line of main to the first idle step, tunes opened and all.
    qint64 startUpMs = -1;
    {
        Program program(IdleHook::IdlePeriodMs);
        while (program.idleCalls == 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        startUpMs = sinceLaunch.elapsed();
    }

    long long pacedCalls = 0;
    long long spinCalls = 0;
    const double paced = titleScreenCpu(IdleHook::IdlePeriodMs, seconds, &pacedCalls);
    const double spinning = titleScreenCpu(0, seconds, &spinCalls);

    std::printf("| measure | value |\n|---|---|\n");
    std::printf("| start-up to first idle step | %lld ms |\n", static_cast<long long>(startUpMs));
    std::printf("| title screen CPU, paced (%d ms per step) | %.1f %% of one core (%lld steps in %.0f s) |\n",
        IdleHook::IdlePeriodMs, paced * 100, pacedCalls, seconds);
    std::printf("| title screen CPU, unpaced loop | %.1f %% of one core (%lld steps in %.0f s) |\n", spinning * 100,
        spinCalls, seconds);
    std::printf("| paced / unpaced CPU | %.3f |\n", spinning > 0 ? paced / spinning : 0.0);
    std::printf("| peak resident memory | %.1f MB |\n", static_cast<double>(peakKiB()) / 1024.0);
    return 0;
}
