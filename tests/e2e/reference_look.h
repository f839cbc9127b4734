// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_view.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <array>
#include <memory>

namespace zorvat {
class MainWindow;
class TForm2;
} // namespace zorvat

namespace zorvat::e2e {

// How the game's windows look with given texts, drawn by the game's own widgets on the
// same display with the same fonts, so that a screenshot of the running game can be held
// against them pixel for pixel. The texts are the test's own: only the look is borrowed.
class ReferenceLook {
public:
    ReferenceLook();
    ~ReferenceLook();

    /** The question or score panel with `caption`. */
    QImage panel(Panel which, const QString& caption);
    /** The records window's client area with these five score texts, five names and game count. */
    QImage records(const std::array<QString, 5>& scores, const std::array<QString, 5>& names, const QString& count);

    /** Height of the main window's menu bar. */
    int menuBarHeight() const;
    /** Where a top-level menu entry ("K1", "G1") stands, in the main window's coordinates. */
    QRect menuEntry(const QString& name) const;
    /** Where "終了" stands in the open game menu, relative to the menu's top-left corner. */
    QRect exitEntry() const;

private:
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<TForm2> m_records;
};

} // namespace zorvat::e2e
