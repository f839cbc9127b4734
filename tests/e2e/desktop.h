// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

namespace zorvat::e2e {

// The player's side of the X display: the real pointer and keyboard (through the XTEST
// extension, as a person's devices would deliver them) and what the screen shows.
class Desktop {
public:
    /** Moves the pointer to `at` (screen pixels) and clicks the left button there. */
    bool click(QPoint at);
    /** Moves the pointer to `at` without clicking. */
    bool moveTo(QPoint at);
    /** Presses and releases a key or chord, such as "F2", "Return" or "alt+y". */
    bool key(const QString& keys);
    /** Types `text` key by key, whatever characters it holds. */
    bool type(const QString& text);
    /** The title of the window that has the keyboard focus, empty when no titled window has it. */
    QString focusedTitle();
    /** The rectangle of the visible window whose title matches `titlePattern`, if there is one: the
        window's own, inside any frame a window manager gives it. */
    std::optional<QRect> window(const QString& titlePattern);
    /** Moves the window as a person dragging it would, its own top-left corner to `to`. */
    bool moveWindow(const QString& titlePattern, QPoint to);
    /** The window's frame, border and title bar included, once a window manager has framed it. */
    std::optional<QRect> frame(const QString& titlePattern);

    /** The whole screen as it is now, one RGB32 pixel per screen pixel. */
    QImage shot();
    /** The last screen taken. */
    const QImage& lastShot() const { return m_lastShot; }
    /** Why the last input failed. */
    QString error() const { return m_error; }

private:
    std::optional<QString> xdotool(const QStringList& arguments);
    bool mapSpareKeys(const QString& text);
    std::optional<QString> windowId(const QString& titlePattern);

    QImage m_lastShot;
    QString m_error;
};

} // namespace zorvat::e2e
