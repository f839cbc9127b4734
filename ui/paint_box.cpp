// SPDX-License-Identifier: GPL-3.0-or-later
#include "paint_box.h"

#include "game_state.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

namespace zorvat {

PaintBox::PaintBox(const QString& name, QWidget* parent)
    : QWidget(parent)
    , m_canvas(PieceSize, PieceSize, QImage::Format_RGB32)
{
    setObjectName(name);
    m_canvas.fill(Qt::white);
    setFixedSize(PieceSize, PieceSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintBox::setChecked(bool checked)
{
    if (checked == m_checked)
        return;
    m_checked = checked;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void PaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // On a scaled screen the 32 x 32 picture grows by pixel replication, never smoothing.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), m_canvas);
}

void PaintBox::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void PaintBox::mouseDoubleClickEvent(QMouseEvent*)
{
    m_pressed = false;
}

void PaintBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace zorvat
