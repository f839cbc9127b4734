// SPDX-License-Identifier: GPL-3.0-or-later
#include "high_scores.h"

#include "ini_file.h"
#include "name_prompt.h"

namespace zorvat {

void HighScores::load(const TIniFile& Ini)
{
    for (int r = 1; r <= 5; ++r) {
        const std::string n = std::to_string(r);
        HiScore[r] = Ini.ReadInt("hs_sc", "sc" + n, 6 - r);
        HiName[r] = Ini.ReadText("name", "name" + n, "Rv-nq" + n);
    }
    PlayCount = Ini.ReadInt("pass", "tp", 0);
}

void HighScores::enter(std::int32_t Score, NamePrompt& prompt)
{
    // A count edited up to the 32-bit limit wraps round instead of overflowing.
    PlayCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(PlayCount) + 1u);
    // Strictly greater: a tie goes below the older entry. The table is taken as it stands, so
    // one edited out of order by hand gets the score at the first rank it beats.
    for (int r = 1; r <= 5; ++r) {
        if (Score > HiScore[r]) {
            std::string name = prompt.askName();
            for (int j = 5; j >= r + 1; --j) {
                HiScore[j] = HiScore[j - 1];
                HiName[j] = HiName[j - 1];
            }
            HiScore[r] = Score;
            HiName[r] = std::move(name);
            break;
        }
    }
}

void HighScores::save(TIniFile& Ini) const
{
    for (int r = 1; r <= 5; ++r) {
        const std::string n = std::to_string(r);
        Ini.WriteInt("hs_sc", "sc" + n, HiScore[r]);
        Ini.WriteText("name", "name" + n, HiName[r]);
    }
    Ini.WriteInt("pass", "tp", PlayCount);
}

} // namespace zorvat
