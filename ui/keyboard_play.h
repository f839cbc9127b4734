// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cell_cursor.h"
#include "game_state.h"

#include <QObject>

#include <array>

class QPushButton;
class QWidget;

namespace zorvat {

class BevelPanel;
class PaintBox;

// The main window's keys: 1-5 pick a kind, the arrow keys move a cell cursor (a yellow cell frame),
// Space toggles the cell under it and Enter presses "Open" or "OK", each through the same signal a
// click sends. They are window-wide shortcuts, so that they mean the same whichever control has the
// keyboard. The keyboard rests on the grid, and on the cursor's cell while the cursor shows, so that
// a screen reader follows the cursor.
class KeyboardPlay : public QObject {
    Q_OBJECT
public:
    /** The window's controls, which must outlive this object. */
    struct Controls {
        QWidget* window = nullptr;
        BevelPanel* grid = nullptr; // Panel1
        const std::array<PaintBox*, CellCount + 1>* cells = nullptr;
        const std::array<BevelPanel*, CellCount + 1>* cellFrames = nullptr;
        std::array<QPushButton*, 2> buttons {}; // "Open", then "OK"
    };

    explicit KeyboardPlay(const Controls& controls);

    /** A new game: the cursor goes back to the top-left cell, out of sight. */
    void newGame();
    /** A click on `cell`: the cursor follows it there. */
    void cellClicked(int cell);

Q_SIGNALS:
    /** A number key picked `kind`. */
    void kindPicked(int kind);
    /** Space asked to toggle `cell`. */
    void cellToggled(int cell);

private:
    void step(int dx, int dy);
    void toggleCursorCell();
    void pressEnabledButton();
    void paintCursor(int previousCell);

    Controls m_controls;
    CellCursor m_cursor;
};

} // namespace zorvat
