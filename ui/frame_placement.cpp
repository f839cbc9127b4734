// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_placement.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>
#include <QWidget>

namespace zorvat {

namespace {

// A window manager frames a new window within moments; what moves the frame after that is
// the player, who must never see it pulled back.
constexpr qint64 FramingMs = 2000;
// A window manager that will not put the frame where it is asked is not argued with.
constexpr int MaxCorrections = 3;

} // namespace

FramePlacement::FramePlacement(QWidget& window, Target target)
    : QObject(&window)
    , m_window(window)
    , m_target(std::move(target))
{
    m_window.installEventFilter(this);
}

void FramePlacement::place()
{
    m_settling = true;
    m_corrections = 0;
    m_sincePlaced.start();
    moveFrame(m_target(m_window.frameGeometry().size()));
}

bool FramePlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || !m_settling)
        return false;
    switch (event->type()) {
    case QEvent::Hide:
        m_settling = false;
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // Looked at once the window manager's moves that came with this one have been handled.
        QTimer::singleShot(0, this, &FramePlacement::settle);
        break;
    default:
        break;
    }
    return false;
}

void FramePlacement::moveFrame(QPoint topLeft)
{
    // While the window system has a window for it, the position is handed over as the frame's
    // own: the window's inner position would be shifted by frame margins that may not be known
    // at that moment. Without one (before the first showing, and after each closing, which
    // gives the window system's window up) the widget keeps the position for the next one.
    QWindow* handle = m_window.windowHandle();
    if (handle && handle->handle())
        handle->setFramePosition(topLeft);
    else
        m_window.move(topLeft);
}

void FramePlacement::settle()
{
    if (!m_settling || !m_window.isVisible())
        return;
    if (m_sincePlaced.elapsed() > FramingMs || m_corrections >= MaxCorrections) {
        m_settling = false;
        return;
    }
    const QRect frame = m_window.frameGeometry();
    const QPoint target = m_target(frame.size());
    if (frame.topLeft() != target) {
        ++m_corrections;
        moveFrame(target);
    } else if (frame != m_window.geometry()) {
        // Framed and in place: from here on the window is the player's to move.
        m_settling = false;
    }
}

} // namespace zorvat
