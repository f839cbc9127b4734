// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_state.h"
#include "game_view.h"

#include <QCoreApplication>
#include <QString>

#include <array>

namespace zorvat {

class PaintBox;

// What each grid cell shows, in words for a screen reader: its row and column, then a face,
// nothing, the green that hides the pattern, or a piece of a screen picture. A cell is renamed only
// when what it shows changes, because the idle loop repaints every cell many times a second.
class CellNames {
    Q_DECLARE_TR_FUNCTIONS(CellNames)
public:
    /** Names the boxes of `cells` (1..25), which the window fills in before it draws into them. */
    explicit CellNames(const std::array<PaintBox*, CellCount + 1>& cells);

    void showsFace(int cell, int kind);
    void showsEmpty(int cell);
    void showsHidden(int cell);
    void showsPicture(int cell, Picture picture);

    /** The face of kind 1..5 in words, as the palette names it. */
    static QString faceName(int kind);

private:
    enum class Shows { Nothing, Face, Empty, Hidden, Picture };
    struct Shown {
        Shows what = Shows::Nothing;
        int detail = 0; // the kind of a face, the picture of a piece
        friend bool operator==(const Shown&, const Shown&) = default;
    };

    void show(int cell, Shown shown);
    static QString contents(Shown shown);

    const std::array<PaintBox*, CellCount + 1>& m_cells;
    std::array<Shown, CellCount + 1> m_shown {};
};

} // namespace zorvat
