// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"

#include "error.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

// The pictures live in a static library, whose resources are registered only on request.
static void registerPictureResources()
{
    Q_INIT_RESOURCE(pictures);
}

namespace zorvat {

namespace {

// A picture drawn at `ratio` times its size of width x height.
QImage loadPicture(const char* name, int width, int height, int ratio = 1)
{
    const QString path = QStringLiteral(":/pictures/") + QLatin1String(name);
    QImage image(path);
    if (image.width() != width * ratio || image.height() != height * ratio)
        throw Error("画像 " + std::string(name) + " を読み込めません");
    image.setDevicePixelRatio(ratio);
    return image.convertToFormat(QImage::Format_RGB32);
}

Pictures load()
{
    registerPictureResources();
    Pictures pics;
    pics.im1 = loadPicture("im1.bmp", 160, 32);
    pics.im_del = loadPicture("im_del.bmp", 32, 32);
    pics.im2 = loadPicture("im2.bmp", 160, 160);
    pics.im3 = loadPicture("im3.bmp", 160, 160);
    pics.im_over = loadPicture("im_over.bmp", 160, 160);
    pics.backdrop = loadPicture("backdrop.bmp", 160, 160);
    pics.recordsBackground = loadPicture("records.bmp", 200, 200);
    return pics;
}

PictureSet loadDoubled()
{
    registerPictureResources();
    PictureSet pics;
    pics.im1 = loadPicture("im1@2x.png", 160, 32, 2);
    pics.im_del = loadPicture("im_del@2x.png", 32, 32, 2);
    pics.im2 = loadPicture("im2@2x.png", 160, 160, 2);
    pics.im3 = loadPicture("im3@2x.png", 160, 160, 2);
    pics.im_over = loadPicture("im_over@2x.png", 160, 160, 2);
    pics.backdrop = loadPicture("backdrop@2x.png", 160, 160, 2);
    pics.recordsBackground = loadPicture("records@2x.png", 200, 200, 2);
    return pics;
}

} // namespace

const Pictures& Pictures::instance()
{
    static const Pictures pictures = load();
    return pictures;
}

const PictureSet& Pictures::doubled()
{
    static const PictureSet pictures = loadDoubled();
    return pictures;
}

const PictureSet& Pictures::forRatio(qreal devicePixelRatio) const
{
    if (devicePixelRatio > 1.5)
        return doubled();
    return *this;
}

const QImage& PictureSet::screen(Picture picture) const
{
    switch (picture) {
    case Picture::im2:
        return im2;
    case Picture::im3:
        return im3;
    case Picture::im_over:
        break;
    }
    return im_over;
}

QIcon Pictures::appIcon()
{
    registerPictureResources();
    // Every size is drawn for itself, so a title bar, a task switcher and a launcher each get
    // a crisp picture instead of one scaled from another size.
    QIcon icon;
    for (const QString& file : QDir(QStringLiteral(":/icons")).entryList()) {
        const int size = QFileInfo(file).baseName().toInt();
        icon.addFile(QStringLiteral(":/icons/") + file, QSize(size, size));
    }
    return icon;
}

} // namespace zorvat
