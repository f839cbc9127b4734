// SPDX-License-Identifier: GPL-3.0-or-later
#include "question_table.h"

namespace zorvat {

void QuestionTable(std::int32_t QuestionNo, std::int32_t& ShowCount, std::int32_t& KindCount)
{
    if (QuestionNo >= 1 && QuestionNo <= 24) {
        ++ShowCount;
        if (ShowCount == 6) {
            ShowCount = 1;
            ++KindCount;
            if (KindCount == 6)
                KindCount = 5;
        }
        return;
    }
    // From 25 on each block of three questions has a fixed size.
    struct Step {
        std::int32_t last;
        std::int32_t kinds;
        std::int32_t tiles;
    };
    static constexpr Step steps[] = {
        { 27, 3, 6 },
        { 30, 3, 7 },
        { 33, 3, 8 },
        { 36, 4, 6 },
        { 39, 4, 7 },
        { 42, 4, 8 },
        { 45, 5, 6 },
        { 48, 5, 7 },
        { 51, 5, 8 },
        { 54, 5, 9 },
    };
    if (QuestionNo >= 25) {
        for (const Step& s : steps) {
            if (QuestionNo <= s.last) {
                KindCount = s.kinds;
                ShowCount = s.tiles;
                return;
            }
        }
    }
    KindCount = 5;
    ShowCount = 10;
}

} // namespace zorvat
