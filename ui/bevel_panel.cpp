// SPDX-License-Identifier: GPL-3.0-or-later
#include "bevel_panel.h"

#include <QPainter>

namespace zorvat {

namespace {
// The classic 3-D highlight and shadow colours of raised window panels.
const QColor BevelLight(255, 255, 255);
const QColor BevelShadow(128, 128, 128);
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
}

} // namespace zorvat
