// SPDX-License-Identifier: GPL-3.0-or-later
#include "backdrop.h"

#include "pictures.h"

#include <QPainter>

#include <cmath>

#include <vector>

namespace zorvat {

Backdrop::Backdrop(const QString& name, const Pictures& pictures, QImage PictureSet::*picture, QWidget* parent)
    : QWidget(parent)
    , m_pictures(pictures)
    , m_picture(picture)
{
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QImage Backdrop::stretched(const QImage& picture, QSize size)
{
    if (picture.isNull() || size.isEmpty())
        return QImage();
    const QImage source = picture.convertToFormat(QImage::Format_RGB32);
    QImage out(size, QImage::Format_RGB32);
    std::vector<int> column(std::size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        column[std::size_t(x)] = int(qint64(x) * source.width() / size.width());
    for (int y = 0; y < size.height(); ++y) {
        const auto* line
            = reinterpret_cast<const QRgb*>(source.constScanLine(int(qint64(y) * source.height() / size.height())));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            dst[x] = line[column[std::size_t(x)]];
    }
    return out;
}

void Backdrop::paintEvent(QPaintEvent*)
{
    const QImage& picture = m_pictures.forRatio(devicePixelRatio()).*m_picture;
    const int ratio = int(std::lround(picture.devicePixelRatio()));
    if (m_stretched.size() != size() * ratio) {
        m_stretched = stretched(picture, size() * ratio);
        m_stretched.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), m_stretched);
}

} // namespace zorvat
