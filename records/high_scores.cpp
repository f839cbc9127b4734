// SPDX-License-Identifier: GPL-3.0-or-later
#include "high_scores.h"

#include "ini_access.h"

namespace zorvat {

void HighScores::load(const IniAccess& Ini)
{
    for (int r = 1; r <= 5; ++r) {
        const std::string n = std::to_string(r);
        HiScore[r] = Ini.ReadInt("hs_sc", "sc" + n, 6 - r);
        HiName[r] = Ini.ReadText("name", "name" + n, "Rv-nq" + n);
    }
    PlayCount = Ini.ReadInt("pass", "tp", 0);
}

int HighScores::rankFor(std::int32_t Score) const
{
    // Strictly greater: a tie goes below the older entry. The table is taken as it stands, so
    // one edited out of order by hand gets the score at the first rank it beats.
    for (int r = 1; r <= 5; ++r) {
        if (Score > HiScore[r])
            return r;
    }
    return 0;
}

void HighScores::countGame()
{
    // A count edited up to the 32-bit limit wraps round instead of overflowing.
    PlayCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(PlayCount) + 1u);
}

void HighScores::insert(int rank, std::int32_t Score, std::string name)
{
    for (int j = 5; j >= rank + 1; --j) {
        HiScore[j] = HiScore[j - 1];
        HiName[j] = HiName[j - 1];
    }
    HiScore[rank] = Score;
    HiName[rank] = std::move(name);
}

void HighScores::save(IniAccess& Ini) const
{
    for (int r = 1; r <= 5; ++r) {
        const std::string n = std::to_string(r);
        Ini.WriteInt("hs_sc", "sc" + n, HiScore[r]);
        Ini.WriteText("name", "name" + n, HiName[r]);
    }
    Ini.WriteInt("pass", "tp", PlayCount);
}

} // namespace zorvat
