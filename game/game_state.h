// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zorvat {

// The screen the main window is on. Kept as a plain 32-bit value because the idle
// dispatch must do nothing for a value outside the four known ones.
using GameState = std::int32_t;

inline constexpr GameState gsTitle = 1;
inline constexpr GameState gsPlay = 2;
inline constexpr GameState gsCorrect = 3;
inline constexpr GameState gsOver = 4;

// Grid and palette sizes; the game's arrays are indexed from 1, slot 0 stays unused.
inline constexpr int CellCount = 25;
inline constexpr int KindMax = 5;
inline constexpr int GridSide = 5;
inline constexpr int PieceSize = 32;

} // namespace zorvat
