// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_set.h"

#include "bmp_writer.h"
#include "boards.h"
#include "faces.h"
#include "icon.h"

#include <QBuffer>

namespace zorvat::art {

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

    files.push_back({ QStringLiteral("zorvat.ico"), ico4(programIcon()) });
    for (const int size : LauncherIconSizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        launcherIcon(size).save(&buffer, "PNG");
        files.push_back({ QStringLiteral("icons/zorvat-%1.png").arg(size), png, false });
    }
    return files;
}

} // namespace zorvat::art
