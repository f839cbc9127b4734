// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QSize>

#include <functional>

class QWidget;

namespace zorvat {

// Puts a top-level window's outer frame, title bar included, where its owner wants it. A
// window manager frames a window only after it is shown, so the frame's size, and where the
// window really landed, are known only then: the window is placed just before it is shown
// and placed again once the window manager has framed it, until the frame stands where it
// should.
class FramePlacement : public QObject {
public:
    /** Where the frame's top-left corner belongs, given the frame's outer size. */
    using Target = std::function<QPoint(QSize frame)>;

    /** Watches `window`, which owns this placement. */
    FramePlacement(QWidget& window, Target target);

    /** Places the window for its coming showing; called just before it is shown, while the
        window system has not yet made a window of its own for it. */
    void place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void moveFrame(QPoint topLeft);
    void settle();

    QWidget& m_window;
    Target m_target;
    bool m_settling = false;
    int m_corrections = 0;
    QElapsedTimer m_sincePlaced;
};

} // namespace zorvat
