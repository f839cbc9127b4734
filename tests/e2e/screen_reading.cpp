// SPDX-License-Identifier: GPL-3.0-or-later
#include "screen_reading.h"

#include "game_view.h"
#include "pictures.h"

#include <QPainter>

namespace zorvat::e2e {

namespace {

constexpr int Piece = 32;
constexpr int FrameLeft[6] = { 0, 8, 51, 93, 136, 178 };
constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb CursorYellow = 0xFFFFFF00;

QRgb opaque(QRgb pixel)
{
    return pixel | 0xFF000000;
}

// Both images are RGB32 and the region lies inside `shot`.
bool sameRegion(const QImage& shot, QPoint at, const QImage& expected)
{
    for (int y = 0; y < expected.height(); ++y) {
        const auto* seen = reinterpret_cast<const QRgb*>(shot.constScanLine(at.y() + y)) + at.x();
        const auto* want = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < expected.width(); ++x) {
            if (opaque(seen[x]) != opaque(want[x]))
                return false;
        }
    }
    return true;
}

bool inside(const QImage& shot, QRect region)
{
    return shot.rect().contains(region);
}

} // namespace

QRect place::cellBox(int cell)
{
    const int r = (cell - 1) / 5;
    const int c = (cell - 1) % 5;
    // Grid panel, cell frame, box: (16, 64) + (8 + 40c, 5 + 40r) + (3, 3).
    return QRect(27 + 40 * c, 72 + 40 * r, Piece, Piece);
}

QRect place::paletteBox(int kind)
{
    // Palette panel, frame, box: (8, 8) + (left, 5) + (3, 3).
    return QRect(11 + FrameLeft[kind], 16, Piece, Piece);
}

QPoint place::cellRim(int cell)
{
    // The frame's rim is 2 pixels wide inside its 1-pixel bevel, left of the box.
    return place::cellBox(cell).topLeft() + QPoint(-2, 16);
}

QPoint place::paletteRim(int kind)
{
    // The frame is 40 wide with its box at 3: columns 35..38 are rim on the right.
    return QPoint(8 + FrameLeft[kind] + 36, 8 + 5 + 20);
}

ScreenReader::ScreenReader(const Pictures& pictures)
{
    for (int kind = 1; kind <= 5; ++kind)
        m_faces[kind] = pictures.im1.copy((kind - 1) * Piece, 0, Piece, Piece).convertToFormat(QImage::Format_RGB32);
    m_blank = pictures.im_del.convertToFormat(QImage::Format_RGB32);
}

int ScreenReader::cellKind(const QImage& shot, QRect box) const
{
    if (!inside(shot, box))
        return Unreadable;
    for (int kind = 1; kind <= 5; ++kind) {
        if (sameRegion(shot, box.topLeft(), m_faces[kind]))
            return kind;
    }
    if (sameRegion(shot, box.topLeft(), m_blank))
        return 0;
    const QRgb green = qRgb(HiddenGreen.r, HiddenGreen.g, HiddenGreen.b);
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (opaque(shot.pixel(x, y)) != green)
                return Unreadable;
        }
    }
    return 0;
}

Grid ScreenReader::grid(const QImage& shot, QPoint client) const
{
    Grid cells {};
    cells[0] = 0;
    for (int cell = 1; cell <= 25; ++cell)
        cells[cell] = cellKind(shot, place::cellBox(cell).translated(client));
    return cells;
}

bool ScreenReader::showsWholePicture(const QImage& shot, QPoint client, const QImage& picture) const
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int cell = 1; cell <= 25; ++cell) {
        const QRect box = place::cellBox(cell).translated(client);
        const QImage share = rgb.copy(((cell - 1) % 5) * Piece, ((cell - 1) / 5) * Piece, Piece, Piece);
        if (!inside(shot, box) || !sameRegion(shot, box.topLeft(), share))
            return false;
    }
    return true;
}

int ScreenReader::selectedKind(const QImage& shot, QPoint client) const
{
    int selected = 0;
    for (int kind = 1; kind <= 5; ++kind) {
        const QPoint rim = place::paletteRim(kind) + client;
        if (!shot.rect().contains(rim))
            return Unreadable;
        const QRgb colour = opaque(shot.pixel(rim));
        if (colour == Red) {
            if (selected != 0)
                return Unreadable;
            selected = kind;
        } else if (colour != White) {
            return Unreadable;
        }
    }
    return selected;
}

int ScreenReader::cursorCell(const QImage& shot, QPoint client) const
{
    int cursor = 0;
    for (int cell = 1; cell <= 25; ++cell) {
        const QPoint rim = place::cellRim(cell) + client;
        if (!shot.rect().contains(rim))
            return Unreadable;
        const QRgb colour = opaque(shot.pixel(rim));
        if (colour == CursorYellow) {
            if (cursor != 0)
                return Unreadable;
            cursor = cell;
        } else if (colour != White) {
            return Unreadable;
        }
    }
    return cursor;
}

bool showsImage(const QImage& shot, QPoint at, const QImage& expected)
{
    const QImage want = expected.convertToFormat(QImage::Format_RGB32);
    return inside(shot, QRect(at, want.size())) && sameRegion(shot, at, want);
}

QImage sideBySide(const QImage& shot, QPoint at, const QImage& expected)
{
    QImage both(expected.width() * 2 + 4, expected.height(), QImage::Format_RGB32);
    both.fill(Qt::magenta);
    QPainter painter(&both);
    painter.drawImage(0, 0, expected);
    painter.drawImage(expected.width() + 4, 0, shot.copy(QRect(at, expected.size())));
    return both;
}

} // namespace zorvat::e2e
