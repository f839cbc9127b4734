// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmp_writer.h"

namespace zorvat::art {

namespace {

void put16(QByteArray& out, std::uint16_t v)
{
    out.append(char(v & 0xff));
    out.append(char(v >> 8));
}

void put32(QByteArray& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((v >> shift) & 0xff));
}

// Rows of every bitmap are padded to whole 32-bit words.
int rowBytes(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

void putInfoHeader(
    QByteArray& out, int width, int height, int bitsPerPixel, std::uint32_t imageBytes, std::uint32_t coloursUsed)
{
    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height));
    put16(out, 1);
    put16(out, std::uint16_t(bitsPerPixel));
    put32(out, 0); // no compression
    put32(out, imageBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, coloursUsed);
    put32(out, 0);
}

void putFileHeader(QByteArray& out, std::uint32_t fileBytes, std::uint32_t pixelOffset)
{
    out.append("BM", 2);
    put32(out, fileBytes);
    put32(out, 0);
    put32(out, pixelOffset);
}

void putPalette(QByteArray& out)
{
    for (QRgb c : standardPalette()) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
}

void putIndexRows(QByteArray& out, const IndexedPicture& picture)
{
    const int stride = rowBytes(picture.width, 4);
    for (int y = picture.height - 1; y >= 0; --y) {
        QByteArray row(stride, 0);
        for (int x = 0; x < picture.width; ++x) {
            const int shift = x % 2 == 0 ? 4 : 0;
            row[x / 2] = char(row[x / 2] | (picture.at(x, y) & 0x0f) << shift);
        }
        out.append(row);
    }
}

} // namespace

const std::array<QRgb, 16>& standardPalette()
{
    static const std::array<QRgb, 16> palette { qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0),
        qRgb(0, 0, 128), qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(128, 128, 128),
        qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255),
        qRgb(255, 255, 255) };
    return palette;
}

QByteArray bmp24(const QImage& image)
{
    const int stride = rowBytes(image.width(), 24);
    const auto imageBytes = std::uint32_t(stride * image.height());
    const std::uint32_t offset = 14 + 40;
    QByteArray out;
    putFileHeader(out, offset + imageBytes, offset);
    putInfoHeader(out, image.width(), image.height(), 24, imageBytes, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row(stride, 0);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            row[3 * x] = char(qBlue(c));
            row[3 * x + 1] = char(qGreen(c));
            row[3 * x + 2] = char(qRed(c));
        }
        out.append(row);
    }
    return out;
}

QByteArray bmp4(const IndexedPicture& picture)
{
    const auto imageBytes = std::uint32_t(rowBytes(picture.width, 4) * picture.height);
    const std::uint32_t offset = 14 + 40 + 16 * 4;
    QByteArray out;
    putFileHeader(out, offset + imageBytes, offset);
    putInfoHeader(out, picture.width, picture.height, 4, imageBytes, 16);
    putPalette(out);
    putIndexRows(out, picture);
    return out;
}

QByteArray ico4(const IndexedPicture& picture)
{
    const int maskStride = rowBytes(picture.width, 1);
    const auto colourBytes = std::uint32_t(rowBytes(picture.width, 4) * picture.height);
    const auto maskBytes = std::uint32_t(maskStride * picture.height);
    const std::uint32_t entryBytes = 40 + 16 * 4 + colourBytes + maskBytes;

    QByteArray out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, 1);
    out.append(char(picture.width));
    out.append(char(picture.height));
    out.append(char(16));
    out.append(char(0));
    put16(out, 1);
    put16(out, 4);
    put32(out, entryBytes);
    put32(out, 6 + 16);

    // Inside an icon the bitmap's height counts the colour rows and the mask rows together.
    putInfoHeader(out, picture.width, picture.height * 2, 4, colourBytes + maskBytes, 16);
    putPalette(out);
    putIndexRows(out, picture);
    for (int y = picture.height - 1; y >= 0; --y) {
        QByteArray row(maskStride, 0);
        for (int x = 0; x < picture.width; ++x) {
            if (!picture.transparent.empty() && picture.transparent[std::size_t(y) * picture.width + x])
                row[x / 8] = char(row[x / 8] | 0x80 >> (x % 8));
        }
        out.append(row);
    }
    return out;
}

QImage toImage(const IndexedPicture& picture)
{
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const bool clear = !picture.transparent.empty() && picture.transparent[std::size_t(y) * picture.width + x];
            image.setPixel(x, y, clear ? qRgba(0, 0, 0, 0) : standardPalette()[picture.at(x, y)]);
        }
    }
    return image;
}

} // namespace zorvat::art
