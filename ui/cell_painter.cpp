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

// The source coordinate that output pixel i of 32 takes: nearest neighbour, so each
// source pixel is repeated about 32 / length times, clamped into 0..last.
int sourceAt(int start, int length, int i, int last)
{
    const std::int64_t at = start + std::int64_t(i) * length / PieceSize;
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
{
    m_tileBuf.fill(Qt::white);
}

void CellPainter::DrawPiece(const QImage& picture, const QRect& source, PaintBox& box)
{
    scaleOntoTileBuf(picture, source);
    copyTileBufInto(box);
}

void CellPainter::scaleOntoTileBuf(const QImage& picture, const QRect& source)
{
    if (picture.isNull()) {
        m_tileBuf.fill(Hidden);
        return;
    }
    const int width = std::max(source.width(), 1);
    const int height = std::max(source.height(), 1);
    const int lastX = picture.width() - 1;
    const int lastY = picture.height() - 1;
    int column[PieceSize];
    for (int x = 0; x < PieceSize; ++x)
        column[x] = sourceAt(source.left(), width, x, lastX);
    // A whole piece inside the picture is copied row by row as it stands.
    const bool oneToOne = width == PieceSize && column[PieceSize - 1] - column[0] == PieceSize - 1;
    const bool direct = isDirect32(picture.format());

    uchar* bits = m_tileBuf.bits();
    const qsizetype stride = m_tileBuf.bytesPerLine();
    for (int y = 0; y < PieceSize; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(bits + y * stride);
        const int sy = sourceAt(source.top(), height, y, lastY);
        if (!direct) {
            for (int x = 0; x < PieceSize; ++x)
                dst[x] = picture.pixel(column[x], sy);
            continue;
        }
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(sy));
        if (oneToOne) {
            std::memcpy(dst, line + column[0], PieceSize * sizeof(QRgb));
        } else {
            for (int x = 0; x < PieceSize; ++x)
                dst[x] = line[column[x]];
        }
    }
}

void CellPainter::copyTileBufInto(PaintBox& box)
{
    QImage& canvas = box.canvas();
    if (canvas.size() != m_tileBuf.size() || canvas.format() != m_tileBuf.format()) {
        canvas = m_tileBuf.copy();
        box.canvasChanged();
        return;
    }
    // The screens redraw every box on every idle step, mostly with what it already shows
    // (a held zoom frame, an unchanged board). Only a box whose pixels change is shown
    // again, which keeps the window system's work, and the game's idle load, small.
    bool changed = false;
    const uchar* src = m_tileBuf.constBits();
    const uchar* current = canvas.constBits();
    constexpr std::size_t rowBytes = PieceSize * sizeof(QRgb);
    for (int y = 0; y < PieceSize && !changed; ++y)
        changed = std::memcmp(current + y * canvas.bytesPerLine(), src + y * m_tileBuf.bytesPerLine(), rowBytes) != 0;
    if (!changed)
        return;
    uchar* dst = canvas.bits();
    for (int y = 0; y < PieceSize; ++y)
        std::memcpy(dst + y * canvas.bytesPerLine(), src + y * m_tileBuf.bytesPerLine(), rowBytes);
    box.canvasChanged();
}

void CellPainter::DrawCellKind(PaintBox& box, int kind)
{
    if (kind < 1 || kind > KindMax) {
        DrawCellEmpty(box);
        return;
    }
    DrawPiece(m_pictures.im1, QRect((kind - 1) * PieceSize, 0, PieceSize, PieceSize), box);
}

void CellPainter::DrawCellEmpty(PaintBox& box)
{
    DrawPiece(m_pictures.im_del, QRect(0, 0, PieceSize, PieceSize), box);
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
    DrawPiece(m_pictures.screen(picture), QRect(c * PieceSize, r * PieceSize, step, step), box);
}

} // namespace zorvat
