// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zorvat {

// What the end of a game needs from the records side: the ranking question, the ranking
// page and the high-score check. Each may throw zorvat::Error.
class GameRecords {
public:
    virtual ~GameRecords() = default;

    /** Shows the modal Yes/No ranking question; true when the player chose "はい(&Y)". */
    virtual bool ConfirmRanking(const std::string& message) = 0;
    /** Writes the ranking page for this score and the game count as it stands now. */
    virtual void WriteRankPage(std::int32_t score) = 0;
    /** Hands the ranking page to the desktop; failures are not reported. */
    virtual void OpenRankPage() = 0;
    /** Counts the game, enters the score into the table if it beats an entry, saves. */
    virtual void hiscchk(std::int32_t score) = 0;
};

} // namespace zorvat
