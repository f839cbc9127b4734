// SPDX-License-Identifier: GPL-3.0-or-later
#include "score_keeper.h"

#include "error.h"
#include "file_lock.h"
#include "ini_file.h"
#include "name_prompt.h"
#include "rank_page_file.h"
#include "ranking_question.h"
#include "shell_open.h"
#include "write_error_text.h"

#include <cerrno>

namespace zorvat {

ScoreKeeper::ScoreKeeper(std::filesystem::path settingsFile, InternetRank::RankTarget rankTarget,
    NamePrompt& namePrompt, RankingQuestion& rankingQuestion, DocumentOpener& opener, const FileCalls& files)
    : m_file(std::move(settingsFile))
    , m_rankTarget(std::move(rankTarget))
    , m_namePrompt(namePrompt)
    , m_rankingQuestion(rankingQuestion)
    , m_opener(opener)
    , m_files(files)
    , m_writer(files)
{
}

// Counts the unsaved games into the table as the file gives it and enters each that has a name.
// False when the newest game now enters the table without a name asked: the table it was asked
// against did not let it in, and another copy's save or a hand edit has changed the file since.
bool ScoreKeeper::countUnsavedInto(HighScores& table) const
{
    bool named = true;
    for (const UnsavedGame& game : m_unsaved) {
        table.countGame();
        const int rank = table.rankFor(game.score);
        if (rank > 0 && game.name)
            table.insert(rank, game.score, *game.name);
        named = rank == 0 || game.name;
    }
    return named;
}

void ScoreKeeper::load()
{
    // Reading never fails: a file that cannot be read gives the defaults.
    const std::optional<IniText> text = readIniText(m_file);
    HighScores table;
    table.load(text ? *text : IniText(std::nullopt, fileName()));
    countUnsavedInto(table);
    m_table = table;
}

bool ScoreKeeper::ConfirmRanking(const std::string& message)
{
    return m_rankingQuestion.ask(message);
}

void ScoreKeeper::WriteRankPage(std::int32_t score)
{
    load();
    InternetRank::WriteRankPage(score, m_table.PlayCount, m_rankTarget, m_files);
}

void ScoreKeeper::OpenRankPage()
{
    InternetRank::OpenRankPage(m_opener);
}

void ScoreKeeper::hiscchk(std::int32_t score)
{
    // The name is asked against the table as it stands now, and never while the file is held:
    // the box may stay open for minutes while another copy of the game wants to save.
    load();
    UnsavedGame game { score, std::nullopt };
    if (m_table.rankFor(score) > 0)
        game.name = m_namePrompt.askName();
    m_unsaved.push_back(std::move(game));
    while (!saveHoldingTheFile())
        m_unsaved.back().name = m_namePrompt.askName();
}

// One save: the file held, read again, the unsaved games counted in, all eleven keys written
// into its text and the file replaced once. A failed save keeps its games for the next one.
bool ScoreKeeper::saveHoldingTheFile()
{
    const FileLock lock(m_file);
    std::optional<IniText> text = readIniText(m_file);
    // A file that is there but cannot be read must not be replaced by one holding only the table.
    if (!text)
        throw Error(cannotWriteText(fileName()));
    HighScores table;
    table.load(*text);
    if (!countUnsavedInto(table))
        return false;
    m_table = table;
    try {
        table.save(*text);
    } catch (const Error&) {
        // What the file cannot hold now it will not hold later: kept, it would stop every save after.
        m_unsaved.clear();
        throw;
    }
    saveIniText(m_file, *text, m_writer);
    m_unsaved.clear();
    return true;
}

} // namespace zorvat
