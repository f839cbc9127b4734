// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyboard_play.h"

#include "bevel_panel.h"
#include "paint_box.h"

#include <QPushButton>
#include <QShortcut>

namespace zorvat {

namespace {

const QColor CellFrame(Qt::white);
// Unlike the palette's red, which marks the selected kind.
const QColor CursorFrame(255, 255, 0);

} // namespace

KeyboardPlay::KeyboardPlay(const Controls& controls)
    : QObject(controls.window)
    , m_controls(controls)
{
    // Window-wide shortcuts: a focused button would otherwise take Space and Enter for itself.
    const auto addKey = [this](QList<QKeySequence> keys, bool repeats, auto action) {
        auto* shortcut = new QShortcut(m_controls.window);
        shortcut->setKeys(keys);
        shortcut->setAutoRepeat(repeats);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    for (int k = 1; k <= KindMax; ++k)
        addKey({ QKeySequence(Qt::Key_0 + k) }, false, [this, k] { Q_EMIT kindPicked(k); });
    addKey({ QKeySequence(Qt::Key_Left) }, true, [this] { step(-1, 0); });
    addKey({ QKeySequence(Qt::Key_Right) }, true, [this] { step(1, 0); });
    addKey({ QKeySequence(Qt::Key_Up) }, true, [this] { step(0, -1); });
    addKey({ QKeySequence(Qt::Key_Down) }, true, [this] { step(0, 1); });
    addKey({ QKeySequence(Qt::Key_Space) }, false, [this] { toggleCursorCell(); });
    addKey({ QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter) }, false, [this] { pressEnabledButton(); });
}

void KeyboardPlay::newGame()
{
    const int previous = m_cursor.cell();
    m_cursor.reset();
    paintCursor(previous);
}

void KeyboardPlay::cellClicked(int cell)
{
    const int previous = m_cursor.cell();
    m_cursor.moveTo(cell);
    paintCursor(previous);
}

void KeyboardPlay::step(int dx, int dy)
{
    const int previous = m_cursor.cell();
    m_cursor.step(dx, dy);
    paintCursor(previous);
}

void KeyboardPlay::toggleCursorCell()
{
    // Only a cursor the player can see says which cell is meant.
    if (m_cursor.shown())
        Q_EMIT cellToggled(m_cursor.cell());
}

void KeyboardPlay::pressEnabledButton()
{
    // The game never enables both; "Open" is asked first all the same.
    for (QPushButton* button : m_controls.buttons) {
        if (button->isEnabled()) {
            button->click();
            return;
        }
    }
}

void KeyboardPlay::paintCursor(int previousCell)
{
    const auto& cells = *m_controls.cells;
    const auto& frames = *m_controls.cellFrames;
    PaintBox* previous = cells[previousCell];
    frames[previousCell]->setColour(CellFrame);
    previous->setFocusPolicy(Qt::NoFocus);
    if (!m_cursor.shown()) {
        m_controls.grid->setFocusPolicy(Qt::TabFocus);
        if (m_controls.window->focusWidget() == previous)
            m_controls.grid->setFocus();
        return;
    }
    // The cursor's cell is the grid's one stop for Tab, and it takes the keyboard at every step
    // of the cursor, so that a screen reader says where the cursor stands.
    PaintBox* cell = cells[m_cursor.cell()];
    frames[m_cursor.cell()]->setColour(CursorFrame);
    cell->setFocusPolicy(Qt::TabFocus);
    m_controls.grid->setFocusPolicy(Qt::NoFocus);
    cell->setFocus();
}

} // namespace zorvat
