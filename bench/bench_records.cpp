// SPDX-License-Identifier: GPL-3.0-or-later
// The end-of-game save of the settings file, on the disk the temporary folder lies on: the
// game's one replace under its lock against the eleven separate writes it replaces, for the
// game's own small file and for a 10 MB file that other programs have filled.
#include "document_opener.h"
#include "file_calls.h"
#include "high_scores.h"
#include "ini_file.h"
#include "name_prompt.h"
#include "ranking_question.h"
#include "score_keeper.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace zorvat;

namespace {

struct Player : NamePrompt, RankingQuestion, DocumentOpener {
    std::string askName() override { return "ベンチ"; }
    bool ask(const std::string&) override { return false; }
    bool openDocument(const QString&) override { return false; }
};

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

// The median of `runs` timings of `save`, each on a fresh copy of `bytes`, in milliseconds.
double medianMs(const QString& path, const QByteArray& bytes, int runs, const std::function<void()>& save)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        put(path, bytes);
        QElapsedTimer timer;
        timer.start();
        save();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zorvat.ini"));
    const QByteArray small
        = "[hs_sc]\r\nsc1=5\r\nsc2=4\r\nsc3=3\r\nsc4=2\r\nsc5=1\r\n"
          "[name]\r\nname1=Rv-nq1\r\nname2=Rv-nq2\r\nname3=Rv-nq3\r\nname4=Rv-nq4\r\nname5=Rv-nq5\r\n"
          "[pass]\r\ntp=41\r\n";
    QByteArray large = "[other]\r\n";
    for (int line = 0; large.size() < 10 * 1024 * 1024; ++line)
        large += "key" + QByteArray::number(line) + "=" + QByteArray(40, 'x') + "\r\n";
    large += small;

    Player player;
    const FileCalls files;
    ScoreKeeper records(path.toStdString(), InternetRank::builtInRankTarget(), player, player, player, files);
    const auto oneSave = [&] { records.hiscchk(9); };
    const auto elevenWrites = [&] {
        TIniFile ini(path.toStdString());
        HighScores table;
        table.load(ini);
        table.countGame();
        table.insert(1, 9, "ベンチ");
        table.save(ini);
    };
    std::printf("| measure | value |\n|---|---|\n");
    for (const auto& [name, bytes, runs] :
        { std::tuple { "small settings file", small, 51 }, std::tuple { "10 MB settings file", large, 7 } }) {
        std::printf("| game-end save, %s, one replace | %.2f ms |\n", name, medianMs(path, bytes, runs, oneSave));
        std::printf("| game-end save, %s, eleven writes (before) | %.2f ms |\n", name,
            medianMs(path, bytes, runs, elevenWrites));
    }
    return 0;
}
