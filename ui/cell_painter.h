// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_view.h"

#include <QImage>
#include <QRect>

namespace zorvat {

class PaintBox;
struct PictureSet;
struct Pictures;

// Every piece reaches a box through the one 32 x 32 work image TileBuf: the source
// rectangle is scaled onto TileBuf by pixel replication, then TileBuf is copied unscaled
// into the box. TileBuf is made once; no painting allocates.
//
// A box on a screen of twice the density is painted from the pictures drawn at twice the
// pixels, through a 64 x 64 TileBuf of its own: the same rectangles, measured in the
// pictures' own size, so every piece and every zoom step covers what it covers on an
// ordinary screen, with twice the detail.
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

    /** Scales `source` of `picture` onto TileBuf, then copies TileBuf into the box. `source` is in
        device-independent pixels: a picture of device-pixel ratio 2 is read at twice its numbers. */
    void DrawPiece(const QImage& picture, const QRect& source, PaintBox& box);

    /** The face of kind 1..5; any other kind shows the blank tile. */
    void DrawCellKind(PaintBox& box, int kind);
    /** The blank green tile. */
    void DrawCellEmpty(PaintBox& box);
    /** Solid green straight into the box, past TileBuf. */
    void FillCellHidden(PaintBox& box);
    /** The step x step square at the corner of cell 1..25's share of the screen picture. */
    void DrawCellZoom(PaintBox& box, int cell, Picture picture, int step);

    /** The 32 x 32 work image of an ordinary screen. */
    const QImage& TileBuf() const { return m_tileBuf; }

private:
    void scaleOntoTileBuf(const QImage& picture, const QRect& source, QImage& tile);
    void copyTileBufInto(const QImage& tile, PaintBox& box);
    const PictureSet& picturesFor(const PaintBox& box) const;

    const Pictures& m_pictures;
    QImage m_tileBuf;
    QImage m_doubledTileBuf; // 64 x 64, device-pixel ratio 2
};

} // namespace zorvat
