#include "backdrop.h"

#include <QPainter>

namespace zorvat {

Backdrop::Backdrop(const QString& name, const QImage& picture, QWidget* parent)
    : QWidget(parent), m_picture(picture)
{
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Backdrop::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), m_picture);
}

} // namespace zorvat
