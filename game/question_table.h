// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zorvat {

// Makes question `QuestionNo` harder than the one before: first more tiles, then more kinds.
// ShowCount and KindCount carry over from the previous question for questions 1..24.
void QuestionTable(std::int32_t QuestionNo, std::int32_t& ShowCount, std::int32_t& KindCount);

} // namespace zorvat
