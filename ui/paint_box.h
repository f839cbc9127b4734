// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

namespace zorvat {

// A 32 x 32 box that shows only what the game last drew into it. The game draws into the
// box's own image at any time; the widget just shows that image, so the box keeps its
// picture when the window is uncovered.
class PaintBox : public QWidget {
    Q_OBJECT
public:
    PaintBox(const QString& name, QWidget* parent);

    /** The box's picture; call canvasChanged() after drawing into it. */
    QImage& canvas() { return m_canvas; }
    const QImage& canvas() const { return m_canvas; }
    /** Schedules the widget to show the new picture. */
    void canvasChanged() { update(); }

    /** A box that stands for one of several choices, such as a palette face, rather than for a place. */
    void setCheckable(bool checkable) { m_checkable = checkable; }
    bool isCheckable() const { return m_checkable; }
    /** Whether the choice is the picked one; a screen reader hears the change. */
    void setChecked(bool checked);
    bool isChecked() const { return m_checked; }
    /** Acts as a left click on the box does; how a screen reader presses it. */
    void click() { Q_EMIT clicked(); }

Q_SIGNALS:
    /** Left button pressed and released inside the box; the second press of a double-click is no click. */
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_canvas;
    bool m_pressed = false;
    bool m_checkable = false;
    bool m_checked = false;
};

} // namespace zorvat
