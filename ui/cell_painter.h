// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_view.h"

#include <QImage>
#include <QRect>

namespace zorvat {

class PaintBox;
struct Pictures;

// Every piece reaches a box through the one 32 x 32 work image TileBuf: the source
// rectangle is scaled onto TileBuf by pixel replication, then TileBuf is copied unscaled
// into the box. TileBuf is made once; no painting allocates.
//
// Whatever rectangle it is given, DrawPiece reads only pixels of the picture: a column or
// row of the rectangle beyond an edge repeats the picture's edge, and a rectangle with no
// width or height shows its top-left pixel (clamped into the picture) over the whole box.
// So the first frame of every zoom, at step 0, shows the same single colour as step 1,
// and the one title frame at step 100 shows each cell's 100 x 100 square reduced to 32 x 32,
// with the part beyond the right or bottom edge of the picture filled by that edge.
class CellPainter {
public:
    explicit CellPainter(const Pictures& pictures);

    /** Scales `source` of `picture` onto TileBuf, then copies TileBuf into the box. */
    void DrawPiece(const QImage& picture, const QRect& source, PaintBox& box);

    /** The face of kind 1..5; any other kind shows the blank tile. */
    void DrawCellKind(PaintBox& box, int kind);
    /** The blank green tile. */
    void DrawCellEmpty(PaintBox& box);
    /** Solid green straight into the box, past TileBuf. */
    void FillCellHidden(PaintBox& box);
    /** The step x step square at the corner of cell 1..25's share of the screen picture. */
    void DrawCellZoom(PaintBox& box, int cell, Picture picture, int step);

    const QImage& TileBuf() const { return m_tileBuf; }

private:
    void scaleOntoTileBuf(const QImage& picture, const QRect& source);
    void copyTileBufInto(PaintBox& box);

    const Pictures& m_pictures;
    QImage m_tileBuf;
};

} // namespace zorvat
