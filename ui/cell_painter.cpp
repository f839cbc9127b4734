// SPDX-License-Identifier: GPL-3.0-or-later
#include "cell_painter.h"

#include "game_state.h"
#include "paint_box.h"
#include "pictures.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zorvat {

namespace {

const QColor Hidden(HiddenGreen.r, HiddenGreen.g, HiddenGreen.b);

// Pictures of a ratio above this are read at twice the pixels.
constexpr qreal DoubledAbove = 1.5;
constexpr int MaxTileSide = 2 * PieceSize;

// The source coordinate that output pixel i of `side` takes: nearest neighbour, so each
// source pixel is repeated about side / length times, clamped into 0..last.
int sourceAt(std::int64_t start, std::int64_t length, int i, int side, int last)
{
    const std::int64_t at = start + i * length / side;
    return int(std::clamp<std::int64_t>(at, 0, last));
}

bool isDirect32(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

CellPainter::CellPainter(const Pictures& pictures)
    : m_pictures(pictures)
    , m_tileBuf(PieceSize, PieceSize, QImage::Format_RGB32)
    , m_doubledTileBuf(MaxTileSide, MaxTileSide, QImage::Format_RGB32)
{
    m_tileBuf.fill(Qt::white);
    m_doubledTileBuf.setDevicePixelRatio(2);
}

void CellPainter::DrawPiece(const QImage& picture, const QRect& source, PaintBox& box)
{
    QImage& tile = picture.devicePixelRatio() > DoubledAbove ? m_doubledTileBuf : m_tileBuf;
    scaleOntoTileBuf(picture, source, tile);
    copyTileBufInto(tile, box);
}

void CellPainter::scaleOntoTileBuf(const QImage& picture, const QRect& source, QImage& tile)
{
    if (picture.isNull()) {
        tile.fill(Hidden);
        return;
    }
    // The source is measured in the picture's own pixels from here on.
    const int side = tile.width();
    const std::int64_t ratio = side / PieceSize;
    const std::int64_t left = source.left() * ratio;
    const std::int64_t top = source.top() * ratio;
    const std::int64_t width = std::max<std::int64_t>(source.width() * ratio, 1);
    const std::int64_t height = std::max<std::int64_t>(source.height() * ratio, 1);
    const int lastX = picture.width() - 1;
    const int lastY = picture.height() - 1;
    int column[MaxTileSide];
    for (int x = 0; x < side; ++x)
        column[x] = sourceAt(left, width, x, side, lastX);
    // A whole piece inside the picture is copied row by row as it stands.
    const bool oneToOne = width == side && column[side - 1] - column[0] == side - 1;
    const bool direct = isDirect32(picture.format());

    uchar* bits = tile.bits();
    const qsizetype stride = tile.bytesPerLine();
    for (int y = 0; y < side; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(bits + y * stride);
        const int sy = sourceAt(top, height, y, side, lastY);
        if (!direct) {
            for (int x = 0; x < side; ++x)
                dst[x] = picture.pixel(column[x], sy);
            continue;
        }
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(sy));
        if (oneToOne) {
            std::memcpy(dst, line + column[0], side * sizeof(QRgb));
        } else {
            for (int x = 0; x < side; ++x)
                dst[x] = line[column[x]];
        }
    }
}

void CellPainter::copyTileBufInto(const QImage& tile, PaintBox& box)
{
    QImage& canvas = box.canvas();
    if (canvas.size() != tile.size() || canvas.format() != tile.format()) {
        canvas = tile.copy();
        box.canvasChanged();
        return;
    }
    // The screens redraw every box on every idle step, mostly with what it already shows
    // (a held zoom frame, an unchanged board). Only a box whose pixels change is shown
    // again, which keeps the window system's work, and the game's idle load, small.
    bool changed = false;
    const uchar* src = tile.constBits();
    const uchar* current = canvas.constBits();
    const std::size_t rowBytes = std::size_t(tile.width()) * sizeof(QRgb);
    for (int y = 0; y < tile.height() && !changed; ++y)
        changed = std::memcmp(current + y * canvas.bytesPerLine(), src + y * tile.bytesPerLine(), rowBytes) != 0;
    if (!changed)
        return;
    uchar* dst = canvas.bits();
    for (int y = 0; y < tile.height(); ++y)
        std::memcpy(dst + y * canvas.bytesPerLine(), src + y * tile.bytesPerLine(), rowBytes);
    box.canvasChanged();
}

void CellPainter::DrawCellKind(PaintBox& box, int kind)
{
    if (kind < 1 || kind > KindMax) {
        DrawCellEmpty(box);
        return;
    }
    DrawPiece(picturesFor(box).im1, QRect((kind - 1) * PieceSize, 0, PieceSize, PieceSize), box);
}

void CellPainter::DrawCellEmpty(PaintBox& box)
{
    DrawPiece(picturesFor(box).im_del, QRect(0, 0, PieceSize, PieceSize), box);
}

void CellPainter::FillCellHidden(PaintBox& box)
{
    box.canvas().fill(Hidden);
    box.canvasChanged();
}

void CellPainter::DrawCellZoom(PaintBox& box, int cell, Picture picture, int step)
{
    const int r = (cell - 1) / GridSide;
    const int c = (cell - 1) % GridSide;
    DrawPiece(picturesFor(box).screen(picture), QRect(c * PieceSize, r * PieceSize, step, step), box);
}

const PictureSet& CellPainter::picturesFor(const PaintBox& box) const
{
    return m_pictures.forRatio(box.devicePixelRatio());
}

} // namespace zorvat
