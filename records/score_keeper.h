// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_writer.h"
#include "game_records.h"
#include "high_scores.h"
#include "rank_target.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zorvat {

class DocumentOpener;
class FileCalls;
class IniText;
class NamePrompt;
class RankingQuestion;

// The game's records: the high-score table and the game count with the settings file that
// keeps them, the name prompt of a new high score, the ranking question and the ranking page.
// Nothing else reads or writes the settings file. Other copies of the game may share the file:
// the table is read afresh whenever it is used, and a save holds the file while it reads it
// again, counts the game in and replaces it once.
class ScoreKeeper : public GameRecords {
public:
    /** Touches no file: the table is read by load(). Both files are written through `files`; the
        ranking page posts to `rankTarget`. */
    ScoreKeeper(std::filesystem::path settingsFile, InternetRank::RankTarget rankTarget, NamePrompt& namePrompt,
        RankingQuestion& rankingQuestion, DocumentOpener& opener, const FileCalls& files);

    /** Reads the table and the game count as the settings file now holds them, with the games
        whose save failed counted in; the first step of start-up, and again before the table is shown. */
    void load();
    const HighScores& table() const { return m_table; }

    bool ConfirmRanking(const std::string& message) override;
    /** Writes the ranking page for this score with the game count as it now stands. */
    void WriteRankPage(std::int32_t score) override;
    void OpenRankPage() override;
    /** Asks for the name if the score enters the table as it now stands; then, holding the file,
        reads it again, counts the game, enters the score and replaces the file once. */
    void hiscchk(std::int32_t score) override;

private:
    // A finished game not yet in the file; the name is there when it was asked.
    struct UnsavedGame {
        std::int32_t score = 0;
        std::optional<std::string> name;
    };

    bool countUnsavedInto(HighScores& table) const;
    bool saveHoldingTheFile();
    std::string fileName() const { return m_file.filename().string(); }

    std::filesystem::path m_file;
    const InternetRank::RankTarget m_rankTarget;
    NamePrompt& m_namePrompt;
    RankingQuestion& m_rankingQuestion;
    DocumentOpener& m_opener;
    const FileCalls& m_files;
    const FileWriter m_writer;
    HighScores m_table;
    std::vector<UnsavedGame> m_unsaved;
};

} // namespace zorvat
