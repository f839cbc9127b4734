// SPDX-License-Identifier: GPL-3.0-or-later
#include "bevel_panel.h"

#include <QAccessible>
#include <QPainter>

namespace zorvat {

namespace {
// The classic 3-D highlight and shadow colours of raised window panels.
const QColor BevelLight(255, 255, 255);
const QColor BevelShadow(128, 128, 128);
// The keyboard's yellow, as the cell cursor's frame.
const QColor FocusLine(255, 255, 0);
} // namespace

BevelPanel::BevelPanel(const QString& name, QColor colour, QWidget* parent)
    : QWidget(parent)
    , m_colour(colour)
{
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void BevelPanel::setColour(QColor colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

void BevelPanel::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
    if (accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void BevelPanel::setCaptionColour(QColor colour)
{
    m_captionColour = colour;
    update();
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, m_colour);
    painter.setPen(BevelLight);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(BevelShadow);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    if (!m_caption.isEmpty()) {
        painter.setPen(m_captionColour);
        painter.setFont(font());
        painter.drawText(r, Qt::AlignCenter, m_caption);
    }
    if (hasFocus()) {
        // Every other pixel, as focus rectangles have always been dotted.
        QPen dots(FocusLine, 1, Qt::CustomDashLine);
        dots.setDashPattern({ 1, 1 });
        painter.setPen(dots);
        painter.drawRect(r.adjusted(2, 2, -3, -3));
    }
}

} // namespace zorvat
