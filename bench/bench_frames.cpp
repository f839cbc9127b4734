// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of one frame of painting on the real main window: a title-screen frame (the
// five palette faces and 25 zoom cells) and a play frame (palette and board), each piece
// through TileBuf. Prints the median and spread over many batches of frames.
#include "game.h"
#include "main_window.h"
#include "pictures.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace zorvat;

namespace {

class QuietMusic : public GameMusic {
public:
    void Play(Tune) override { }
    void Stop(Tune) override { }
    bool IsStopped(Tune) override { return false; }
};

class NoRecords : public GameRecords {
public:
    bool ConfirmRanking(const std::string&) override { return false; }
    void WriteRankPage(std::int32_t) override { }
    void OpenRankPage() override { }
    void hiscchk(std::int32_t) override { }
};

struct Spread {
    double median;
    double low;
    double high;
};

// Times `frames` calls of `frame` per batch; between batches the window handles its
// queued repaints, as the event loop does between idle passes.
Spread measure(const std::function<void()>& frame, int batches, int frames)
{
    std::vector<double> perFrame;
    QElapsedTimer timer;
    for (int b = 0; b < batches; ++b) {
        QCoreApplication::processEvents();
        timer.start();
        for (int i = 0; i < frames; ++i)
            frame();
        perFrame.push_back(double(timer.nsecsElapsed()) / frames / 1000.0);
    }
    std::sort(perFrame.begin(), perFrame.end());
    const auto at = [&perFrame](double q) { return perFrame[std::size_t(q * double(perFrame.size() - 1))]; };
    return { at(0.5), at(0.1), at(0.9) };
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    MainWindow window(Pictures::instance());
    QuietMusic music;
    NoRecords records;
    SystemClock clock;
    Game game(window, music, records, clock);
    window.show();
    QCoreApplication::processEvents();

    const int batches = 300;
    const int frames = 100;

    game.GameState = gsTitle;
    const Spread title = measure([&game] { game.Title_proc(); }, batches, frames);

    game.GameState = gsPlay;
    game.Showing = false;
    for (int cell = 1; cell <= CellCount; ++cell)
        game.Board[cell] = cell % 3 == 0 ? 0 : cell % KindMax + 1;
    const Spread play = measure(
        [&game] {
            bool idleDone = true;
            game.AppIdle(idleDone);
        },
        batches, frames);

    std::printf("%-34s %10s %8s %8s\n", "frame", "median us", "p10", "p90");
    std::printf("%-34s %10.2f %8.2f %8.2f\n", "title (palette + 25 zoom cells)", title.median, title.low, title.high);
    std::printf("%-34s %10.2f %8.2f %8.2f\n", "play (palette + 25 board cells)", play.median, play.low, play.high);
    std::printf("(%d batches of %d frames each; target: a title frame well under 100 us)\n", batches, frames);
    return 0;
}
