// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zorvat {

// The keyboard's place on the grid: one of the 25 cells, moved a step at a time by the arrow
// keys and stopping at the edges. It stays out of sight until the player first steps it in
// a game, so that a game played with the mouse alone looks exactly as it always did.
class CellCursor {
public:
    /** The cell under the cursor, 1..25 in reading order. */
    int cell() const { return m_cell; }
    /** True once an arrow key has brought the cursor into view in this game. */
    bool shown() const { return m_shown; }

    /** A new game: back to cell 1, out of sight. */
    void reset();
    /** One arrow key: `dx`, `dy` are -1, 0 or 1. The first step of a game only brings the
        cursor into view where it stands; later steps move it, never past an edge. */
    void step(int dx, int dy);
    /** A click on a cell: the cursor follows it there, seen or not. */
    void moveTo(int cell);

private:
    int m_cell = 1;
    bool m_shown = false;
};

} // namespace zorvat
