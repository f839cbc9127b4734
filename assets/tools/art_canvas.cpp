// SPDX-License-Identifier: GPL-3.0-or-later
#include "art_canvas.h"

#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace zorvat::art {

namespace {

int channel(double v)
{
    return std::clamp(int(std::lround(v)), 0, 255);
}

} // namespace

ArtCanvas::ArtCanvas(int width, int height, int scale, int resolution)
    : m_width(width)
    , m_height(height)
    , m_scale(scale)
    , m_resolution(resolution)
    , m_fine(width * scale * resolution, height * scale * resolution, QImage::Format_RGB32)
    , m_mask(width * scale * resolution, height * scale * resolution, QImage::Format_ARGB32_Premultiplied)
{
    m_fine.fill(qRgb(0, 0, 0));
}

void ArtCanvas::paintAll(const Shader& shader)
{
    m_mask.fill(0xffffffff);
    paintMasked(m_fine.rect(), shader);
}

void ArtCanvas::fill(const QPainterPath& shape, const Shader& shader)
{
    fill(Shape { shape }, shader);
}

void ArtCanvas::fill(const Shape& shape, const Shader& shader)
{
    QRectF bounds;
    for (const QPainterPath& part : shape)
        bounds = bounds.united(part.boundingRect());
    const int fine = m_scale * m_resolution;
    const QRect area = QRectF(bounds.topLeft() * fine, bounds.bottomRight() * fine)
                           .toAlignedRect()
                           .adjusted(-1, -1, 1, 1)
                           .intersected(m_fine.rect());
    if (area.isEmpty())
        return;
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(m_mask.scanLine(y)) + area.left(), area.width(), 0u);
    {
        QPainter painter(&m_mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.scale(fine, fine);
        for (const QPainterPath& part : shape)
            painter.fillPath(part, QColor(255, 255, 255));
    }
    paintMasked(area, shader);
}

void ArtCanvas::fill(const Shape& shape, QRgb colour)
{
    fill(shape, [colour](double, double) { return colour; });
}

void ArtCanvas::fill(const QPainterPath& shape, QRgb colour)
{
    fill(shape, [colour](double, double) { return colour; });
}

void ArtCanvas::stroke(const QPainterPath& line, double width, QRgb colour, Qt::PenCapStyle cap, Qt::PenJoinStyle join)
{
    fill(outlineOf(line, width, cap, join), colour);
}

void ArtCanvas::paintMasked(const QRect& fineArea, const Shader& shader)
{
    const double step = 1.0 / (m_scale * m_resolution);
    for (int y = fineArea.top(); y <= fineArea.bottom(); ++y) {
        const auto* mask = reinterpret_cast<const QRgb*>(m_mask.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(m_fine.scanLine(y));
        const double py = (y + 0.5) * step;
        for (int x = fineArea.left(); x <= fineArea.right(); ++x) {
            if (mask[x] == 0)
                continue;
            line[x] = blend(line[x], shader((x + 0.5) * step, py));
        }
    }
}

QImage ArtCanvas::reduced() const
{
    QImage out(m_width * m_resolution, m_height * m_resolution, QImage::Format_RGB32);
    const int n = m_scale * m_scale;
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            int r = 0;
            int g = 0;
            int b = 0;
            for (int fy = 0; fy < m_scale; ++fy) {
                const auto* line = reinterpret_cast<const QRgb*>(m_fine.constScanLine(y * m_scale + fy));
                for (int fx = 0; fx < m_scale; ++fx) {
                    const QRgb c = line[x * m_scale + fx];
                    r += qRed(c);
                    g += qGreen(c);
                    b += qBlue(c);
                }
            }
            out.setPixel(x, y, qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n));
        }
    }
    return out;
}

QPainterPath outlineOf(const QPainterPath& line, double width, Qt::PenCapStyle cap, Qt::PenJoinStyle join)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(join);
    return stroker.createStroke(line);
}

QRgb blend(QRgb under, QRgb over)
{
    const int a = qAlpha(over);
    if (a == 255)
        return over | 0xff000000;
    if (a == 0)
        return under;
    const auto mixChannel = [a](int u, int o) { return (o * a + u * (255 - a) + 127) / 255; };
    return qRgb(mixChannel(qRed(under), qRed(over)), mixChannel(qGreen(under), qGreen(over)),
        mixChannel(qBlue(under), qBlue(over)));
}

QRgb mix(QRgb a, QRgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    const auto m = [t](int u, int v) { return channel(u + (v - u) * t); };
    return qRgba(m(qRed(a), qRed(b)), m(qGreen(a), qGreen(b)), m(qBlue(a), qBlue(b)), m(qAlpha(a), qAlpha(b)));
}

QRgb scaled(QRgb c, double f)
{
    return qRgba(channel(qRed(c) * f), channel(qGreen(c) * f), channel(qBlue(c) * f), qAlpha(c));
}

QRgb withAlpha(QRgb c, int alpha)
{
    return qRgba(qRed(c), qGreen(c), qBlue(c), std::clamp(alpha, 0, 255));
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

std::uint32_t hashAt(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9e3779b9u ^ std::uint32_t(x) * 0x85ebca6bu ^ std::uint32_t(y) * 0xc2b2ae35u;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

double noiseAt(int x, int y, std::uint32_t seed)
{
    return (hashAt(x, y, seed) >> 8) / double(1u << 24);
}

double grainAt(double x, double y, int resolution, std::uint32_t seed)
{
    return noiseAt(int(std::floor(x * resolution)), int(std::floor(y * resolution)), seed);
}

QImage blurred(const QImage& image, int radius, int passes)
{
    QImage current = image.convertToFormat(QImage::Format_RGB32);
    const int w = current.width();
    const int h = current.height();
    const int span = 2 * radius + 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int horizontal = 1; horizontal >= 0; --horizontal) {
            QImage next(w, h, QImage::Format_RGB32);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    int r = 0;
                    int g = 0;
                    int b = 0;
                    for (int d = -radius; d <= radius; ++d) {
                        const int sx = horizontal ? std::clamp(x + d, 0, w - 1) : x;
                        const int sy = horizontal ? y : std::clamp(y + d, 0, h - 1);
                        const QRgb c = current.pixel(sx, sy);
                        r += qRed(c);
                        g += qGreen(c);
                        b += qBlue(c);
                    }
                    next.setPixel(x, y, qRgb((r + span / 2) / span, (g + span / 2) / span, (b + span / 2) / span));
                }
            }
            current = next;
        }
    }
    return current;
}

} // namespace zorvat::art
