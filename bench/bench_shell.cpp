// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time, idle CPU on the title screen (paced against an unpaced loop) and peak
// memory of the whole program, measured in one run.
#include "fonts.h"
#include "idle_hook.h"
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

// Runs the title screen for `seconds` with the given idle period; returns the share of one core used.
double titleScreenCpu(int periodMs, double seconds, long long* calls)
{
    QTemporaryDir dir;
    Seams seams;
    seams.iniFile = dir.filePath(QStringLiteral("Zorvat.ini")).toStdString();
    seams.report = [](const QString&) {};
    seams.idlePeriodMs = periodMs;
    ZorvatApp app(seams);
    app.show();
    const double before = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    *calls = app.idle().calls();
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
        QTemporaryDir dir;
        Seams seams;
        seams.iniFile = dir.filePath(QStringLiteral("Zorvat.ini")).toStdString();
        seams.report = [](const QString&) {};
        ZorvatApp app(seams);
        app.show();
        while (app.idle().calls() == 0)
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
