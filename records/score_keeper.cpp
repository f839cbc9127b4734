// SPDX-License-Identifier: GPL-3.0-or-later
#include "score_keeper.h"

#include "rank_page_file.h"
#include "ranking_question.h"
#include "shell_open.h"

namespace zorvat {

ScoreKeeper::ScoreKeeper(std::filesystem::path settingsFile, NamePrompt& namePrompt, RankingQuestion& rankingQuestion,
    DocumentOpener& opener)
    : m_ini(std::move(settingsFile))
    , m_namePrompt(namePrompt)
    , m_rankingQuestion(rankingQuestion)
    , m_opener(opener)
{
}

void ScoreKeeper::load()
{
    m_table.load(m_ini);
}

bool ScoreKeeper::ConfirmRanking(const std::string& message)
{
    return m_rankingQuestion.ask(message);
}

void ScoreKeeper::WriteRankPage(std::int32_t score)
{
    InternetRank::WriteRankPage(score, m_table.PlayCount);
}

void ScoreKeeper::OpenRankPage()
{
    InternetRank::OpenRankPage(m_opener);
}

void ScoreKeeper::hiscchk(std::int32_t score)
{
    m_table.enter(score, m_namePrompt);
    // All eleven keys at every game end, so changes made to the file meanwhile are overwritten
    // and a save that failed before is made whole. The game stays counted even when this fails.
    m_table.save(m_ini);
}

} // namespace zorvat
