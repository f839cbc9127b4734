#pragma once

#include "game_view.h"

#include <QImage>
#include <QRect>

namespace zorvat {

class PaintBox;
struct Pictures;

// Every piece reaches a box through the one 32 x 32 work image TileBuf: the source
// rectangle is scaled onto TileBuf by pixel replication, then TileBuf is copied unscaled
// into the box.
class CellPainter {
public:
    explicit CellPainter(const Pictures& pictures);

    /** Scales `source` of `picture` onto TileBuf, then copies TileBuf into the box. */
    void DrawPiece(const QImage& picture, const QRect& source, PaintBox& box);

    void DrawCellKind(PaintBox& box, int kind);
    void DrawCellEmpty(PaintBox& box);
    void FillCellHidden(PaintBox& box);
    void DrawCellZoom(PaintBox& box, int cell, Picture picture, int step);

    const QImage& TileBuf() const { return m_tileBuf; }

private:
    const Pictures& m_pictures;
    QImage m_tileBuf;
};

} // namespace zorvat
