// SPDX-License-Identifier: GPL-3.0-or-later
// The music's share of the game's time: the stopped check that every idle step makes
// on the title screen and during a question, the tune switches of a game's start and
// end, and the start-up opening of both tunes on their one synthesizer and soundfont.
//
// The players sound into /dev/null, which the synthesizer writes in real time, so the
// tunes advance as they would through speakers.

#include "midi_player.h"
#include "tune_players.h"

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

using namespace zorvat;
using Clock = std::chrono::steady_clock;

namespace {

const std::string AppDir = ZORVAT_RUNTIME_DIR "/";

double microsSince(Clock::time_point start, long long calls = 1)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / double(calls);
}

std::unique_ptr<TunePlayers> silentTunes()
{
    return std::make_unique<TunePlayers>(std::make_shared<Synthesizer>(MidiSetup::toFile("/dev/null")));
}

void row(const char* what, double micros, const char* unit = "us")
{
    std::printf("%-52s %12.3f %s\n", what, micros, unit);
}

} // namespace

int main(int argc, char* argv[])
{
    // The synthesizer looks for a tune that ended with the main thread's timers.
    QCoreApplication application(argc, argv);
    std::printf("%-52s %12s\n", "measure", "time");

    // Start-up: both tunes opened, the title tune started.
    {
        const auto start = Clock::now();
        auto tunes = silentTunes();
        int boxes = 0;
        tunes->openAll(AppDir, [&boxes](const QString& text) {
            ++boxes;
            std::fprintf(stderr, "%s\n", qPrintable(text));
        });
        row("start-up: open both tunes, play the title tune", microsSince(start) / 1000, "ms");
        if (boxes)
            return 1;
        const auto close = Clock::now();
        tunes->closeAll();
        row("shutdown: close both tunes", microsSince(close) / 1000, "ms");
    }
    {
        MidiPlayer one(MidiSetup::toFile("/dev/null"));
        const auto start = Clock::now();
        one.Open(AppDir + "title.mid");
        row("open one tune (synthesizer, soundfont, output)", microsSince(start) / 1000, "ms");
    }

    auto tunes = silentTunes();
    tunes->openAll(AppDir, [](const QString&) {});

    // The idle step's check, while the tune plays and while it is stopped.
    constexpr long long Checks = 2'000'000;
    long long foundStopped = 0;
    auto start = Clock::now();
    for (long long i = 0; i < Checks; ++i)
        foundStopped += tunes->IsStopped(Tune::Title) ? 1 : 0;
    row("stopped check per idle step, tune playing", microsSince(start, Checks));
    start = Clock::now();
    for (long long i = 0; i < Checks; ++i)
        foundStopped += tunes->IsStopped(Tune::Question) ? 1 : 0;
    row("stopped check per idle step, tune stopped", microsSince(start, Checks));
    // Only the question tune's checks find it stopped; anything else means the title tune ended.
    if (foundStopped != Checks)
        std::printf("(the title tune was found stopped %lld times)\n", foundStopped - Checks);

    // "開始" and the end of a game: one tune stopped (silenced at once), the other played.
    constexpr int Switches = 200;
    start = Clock::now();
    for (int i = 0; i < Switches; ++i) {
        tunes->Stop(Tune::Title);
        tunes->Play(Tune::Question);
        tunes->Stop(Tune::Question);
        tunes->Play(Tune::Title);
    }
    row("switch of tunes (stop one, play the other)", microsSince(start, 2 * Switches));

    tunes->closeAll();
    return 0;
}
