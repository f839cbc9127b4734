// SPDX-License-Identifier: GPL-3.0-or-later
#include "cell_cursor.h"

#include "game_state.h"

#include <algorithm>

namespace zorvat {

void CellCursor::reset()
{
    m_cell = 1;
    m_shown = false;
}

void CellCursor::step(int dx, int dy)
{
    if (!m_shown) {
        m_shown = true;
        return;
    }
    const int row = std::clamp((m_cell - 1) / GridSide + dy, 0, GridSide - 1);
    const int column = std::clamp((m_cell - 1) % GridSide + dx, 0, GridSide - 1);
    m_cell = row * GridSide + column + 1;
}

void CellCursor::moveTo(int cell)
{
    if (cell >= 1 && cell <= CellCount)
        m_cell = cell;
}

} // namespace zorvat
