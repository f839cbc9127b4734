// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zorvat {

class IniAccess;

// The top-five table and the count of finished games, as kept in the settings file.
struct HighScores {
    std::int32_t PlayCount = 0;
    std::array<std::int32_t, 6> HiScore {}; // ranks 1..5
    std::array<std::string, 6> HiName {}; // ranks 1..5, UTF-8

    /** Reads sc1, name1, sc2, name2, ... then tp, with their defaults. */
    void load(const IniAccess& Ini);
    /** The first rank whose score `Score` beats, 0 when it beats none. */
    int rankFor(std::int32_t Score) const;
    /** Counts one more finished game. */
    void countGame();
    /** Puts the entry at `rank`, moving the ranks below it down one; rank 5's entry falls out. */
    void insert(int rank, std::int32_t Score, std::string name);
    /** Writes all eleven keys: sc1, name1, sc2, name2, ... then tp. */
    void save(IniAccess& Ini) const;
};

} // namespace zorvat
