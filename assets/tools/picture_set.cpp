// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_set.h"

#include "bmp_writer.h"
#include "boards.h"
#include "faces.h"
#include "icon.h"

#include <QBuffer>

namespace zorvat::art {

namespace {

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

std::vector<ArtFile> makeAllPictures()
{
    std::vector<ArtFile> files;
    files.push_back({ QStringLiteral("im1.bmp"), bmp24(faceStrip()) });
    files.push_back({ QStringLiteral("im2.bmp"), bmp24(titlePicture()) });
    files.push_back({ QStringLiteral("im3.bmp"), bmp24(correctPicture()) });
    files.push_back({ QStringLiteral("im_over.bmp"), bmp24(gameOverPicture()) });
    files.push_back({ QStringLiteral("backdrop.bmp"), bmp24(backdropPicture()) });
    files.push_back({ QStringLiteral("records.bmp"), bmp24(recordsBackground()) });
    files.push_back({ QStringLiteral("im_del.bmp"), bmp4(blankTile()) });

    // The same drawings at twice the pixels, for screens of twice the density.
    files.push_back({ QStringLiteral("im1@2x.png"), png(faceStrip(2)), false });
    files.push_back({ QStringLiteral("im2@2x.png"), png(titlePicture(2)), false });
    files.push_back({ QStringLiteral("im3@2x.png"), png(correctPicture(2)), false });
    files.push_back({ QStringLiteral("im_over@2x.png"), png(gameOverPicture(2)), false });
    files.push_back({ QStringLiteral("backdrop@2x.png"), png(backdropPicture(2)), false });
    files.push_back({ QStringLiteral("records@2x.png"), png(recordsBackground(2)), false });
    files.push_back(
        { QStringLiteral("im_del@2x.png"), png(toImage(blankTile(2)).convertToFormat(QImage::Format_RGB32)), false });

    files.push_back({ QStringLiteral("zorvat.ico"), ico4(programIcon()) });
    for (const int size : LauncherIconSizes)
        files.push_back({ QStringLiteral("icons/zorvat-%1.png").arg(size), png(launcherIcon(size)), false });
    return files;
}

} // namespace zorvat::art
