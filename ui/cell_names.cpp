// SPDX-License-Identifier: GPL-3.0-or-later
#include "cell_names.h"

#include "paint_box.h"

namespace zorvat {

CellNames::CellNames(const std::array<PaintBox*, CellCount + 1>& cells)
    : m_cells(cells)
{
}

void CellNames::showsFace(int cell, int kind)
{
    // The painter shows the blank tile for a kind outside the palette.
    if (kind >= 1 && kind <= KindMax)
        show(cell, { Shows::Face, kind });
    else
        showsEmpty(cell);
}

void CellNames::showsEmpty(int cell)
{
    show(cell, { Shows::Empty, 0 });
}

void CellNames::showsHidden(int cell)
{
    show(cell, { Shows::Hidden, 0 });
}

void CellNames::showsPicture(int cell, Picture picture)
{
    show(cell, { Shows::Picture, static_cast<int>(picture) });
}

QString CellNames::faceName(int kind)
{
    switch (kind) {
    case 1:
        return tr("赤い顔");
    case 2:
        return tr("青い顔");
    case 3:
        return tr("黄色い顔");
    case 4:
        return tr("緑の顔");
    case 5:
        return tr("水色の顔");
    default:
        return QString();
    }
}

void CellNames::show(int cell, Shown shown)
{
    if (cell < 1 || cell > CellCount || m_shown[cell] == shown)
        return;
    m_shown[cell] = shown;
    const int row = (cell - 1) / GridSide + 1;
    const int column = (cell - 1) % GridSide + 1;
    m_cells[cell]->setAccessibleName(tr("%1行%2列、%3").arg(row).arg(column).arg(contents(shown)));
}

QString CellNames::contents(Shown shown)
{
    switch (shown.what) {
    case Shows::Face:
        return faceName(shown.detail);
    case Shows::Hidden:
        return tr("隠れている");
    case Shows::Picture:
        switch (static_cast<Picture>(shown.detail)) {
        case Picture::im2:
            return tr("タイトルの絵");
        case Picture::im3:
            return tr("正解の絵");
        case Picture::im_over:
            return tr("ゲームオーバーの絵");
        }
        break;
    case Shows::Empty:
    case Shows::Nothing:
        break;
    }
    return tr("空き");
}

} // namespace zorvat
