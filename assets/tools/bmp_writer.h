// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

namespace zorvat::art {

// The sixteen colours every 4-bit picture of the game uses, in their usual order:
// black, maroon, green, olive, navy, purple, teal, silver, grey, red, lime, yellow,
// blue, fuchsia, aqua, white. Index 2 is the game's green.
const std::array<QRgb, 16>& standardPalette();

/** An uncompressed 24-bit device-independent bitmap file of `image`, rows bottom-up. */
QByteArray bmp24(const QImage& image);

// A picture in the sixteen standard colours: one palette index per pixel, row by row
// from the top.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> index;
    std::vector<bool> transparent; // icons only; empty means fully opaque

    std::uint8_t at(int x, int y) const { return index[std::size_t(y) * width + x]; }
};

/** An uncompressed 4-bit bitmap file with the standard colour table. */
QByteArray bmp4(const IndexedPicture& picture);
/** An icon file holding the one 4-bit picture with its transparency mask. */
QByteArray ico4(const IndexedPicture& picture);
/** The picture as a true-colour image with alpha, for the desktop theme. */
QImage toImage(const IndexedPicture& picture);

} // namespace zorvat::art
