#include "cell_painter.h"

#include "game_state.h"
#include "paint_box.h"
#include "pictures.h"

#include <algorithm>
#include <cstring>

namespace zorvat {

CellPainter::CellPainter(const Pictures& pictures)
    : m_pictures(pictures), m_tileBuf(PieceSize, PieceSize, QImage::Format_RGB32)
{
    m_tileBuf.fill(Qt::white);
}

void CellPainter::DrawPiece(const QImage& picture, const QRect& source, PaintBox& box)
{
    // Clamp the source to the picture so that nothing outside it is ever read.
    const QRect src = source.intersected(picture.rect());
    for (int y = 0; y < PieceSize; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(m_tileBuf.scanLine(y));
        if (src.isEmpty()) {
            std::fill(dst, dst + PieceSize, qRgb(0, 128, 0));
            continue;
        }
        const int sy = src.top() + y * source.height() / PieceSize;
        if (sy > src.bottom()) {
            std::fill(dst, dst + PieceSize, qRgb(0, 128, 0));
            continue;
        }
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(sy));
        for (int x = 0; x < PieceSize; ++x) {
            const int sx = src.left() + x * source.width() / PieceSize;
            dst[x] = sx <= src.right() ? line[sx] : qRgb(0, 128, 0);
        }
    }
    QImage& canvas = box.canvas();
    for (int y = 0; y < PieceSize; ++y)
        std::memcpy(canvas.scanLine(y), m_tileBuf.constScanLine(y), PieceSize * sizeof(QRgb));
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
    box.canvas().fill(QColor(HiddenGreen.r, HiddenGreen.g, HiddenGreen.b));
    box.canvasChanged();
}

void CellPainter::DrawCellZoom(PaintBox& box, int cell, Picture picture, int step)
{
    const int r = (cell - 1) / GridSide;
    const int c = (cell - 1) % GridSide;
    DrawPiece(m_pictures.screen(picture), QRect(c * PieceSize, r * PieceSize, step, step), box);
}

} // namespace zorvat
