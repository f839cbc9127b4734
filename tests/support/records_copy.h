// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_calls.h"
#include "high_scores.h"
#include "ini_file.h"
#include "records_fakes.h"
#include "score_keeper.h"

#include <QString>

#include <cstdint>
#include <string>
#include <utility>

namespace zorvat::testing {

/** The system's own file calls, alive for the whole test. */
inline const FileCalls& systemCalls()
{
    static const FileCalls calls;
    return calls;
}

// One copy of the game's records on a settings file, read as start-up reads it, the player's side
// faked; it ends games as a player would.
struct RecordsCopy {
    explicit RecordsCopy(const QString& file, const FileCalls& calls = systemCalls())
        : keeper(file.toStdString(), InternetRank::builtInRankTarget(), prompt, question, desktop, calls)
    {
        keeper.load();
    }
    /** The end of a game with `score`; `name` is typed if the name is asked. */
    void endGame(std::int32_t score, std::string name)
    {
        prompt.answer = std::move(name);
        keeper.hiscchk(score);
    }

    FakePrompt prompt;
    FakeQuestion question;
    FakeOpener desktop;
    ScoreKeeper keeper;
};

/** The end of a game as the file was written before it was saved in one replace: the table read,
    the game entered, then eleven separate writes to the file. The reference for the bytes. */
inline void elevenWriteGameEnd(const QString& path, std::int32_t score, const std::string& name)
{
    TIniFile ini(path.toStdString());
    HighScores table;
    table.load(ini);
    table.countGame();
    if (const int rank = table.rankFor(score))
        table.insert(rank, score, name);
    table.save(ini);
}

} // namespace zorvat::testing
