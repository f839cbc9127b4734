// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_records.h"
#include "high_scores.h"
#include "ini_file.h"

#include <filesystem>

namespace zorvat {

class DocumentOpener;
class NamePrompt;
class RankingQuestion;

// The game's records: the high-score table and the game count with the settings file that
// keeps them, the name prompt of a new high score, the ranking question and the ranking page.
// Nothing else reads or writes the settings file.
class ScoreKeeper : public GameRecords {
public:
    /** Touches no file: the table is read by load(). */
    ScoreKeeper(std::filesystem::path settingsFile, NamePrompt& namePrompt, RankingQuestion& rankingQuestion,
        DocumentOpener& opener);

    /** Reads the table and the game count from the settings file; the first step of start-up. */
    void load();
    const HighScores& table() const { return m_table; }

    bool ConfirmRanking(const std::string& message) override;
    void WriteRankPage(std::int32_t score) override;
    void OpenRankPage() override;
    void hiscchk(std::int32_t score) override;

private:
    TIniFile m_ini;
    HighScores m_table;
    NamePrompt& m_namePrompt;
    RankingQuestion& m_rankingQuestion;
    DocumentOpener& m_opener;
};

} // namespace zorvat
