// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zorvat {

class NamePrompt;
class TIniFile;

// The top-five table and the count of finished games, as kept in the settings file.
struct HighScores {
    std::int32_t PlayCount = 0;
    std::array<std::int32_t, 6> HiScore {}; // ranks 1..5
    std::array<std::string, 6> HiName {}; // ranks 1..5, UTF-8

    /** Reads sc1, name1, sc2, name2, ... then tp, with their defaults. */
    void load(const TIniFile& Ini);
    /** Counts the game and enters Score at the first rank it beats, asking for the name. */
    void enter(std::int32_t Score, NamePrompt& prompt);
    /** Writes all eleven keys: sc1, name1, sc2, name2, ... then tp. */
    void save(TIniFile& Ini) const;
};

} // namespace zorvat
