#include "pictures.h"

#include "game_state.h"

#include <QPainter>

namespace zorvat {

namespace {

// Stand-in art until the real pictures arrive: plain faces and lettered boards.
QImage standInStrip()
{
    QImage strip(5 * PieceSize, PieceSize, QImage::Format_RGB32);
    strip.fill(QColor(0, 128, 0));
    const QColor faces[] = {QColor(230, 30, 30), QColor(40, 80, 230), QColor(240, 220, 30),
                            QColor(60, 200, 60), QColor(120, 230, 240)};
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 5; ++k) {
        p.setBrush(faces[k]);
        p.setPen(Qt::black);
        p.drawEllipse(QRect(k * PieceSize + 3, 3, 25, 25));
    }
    return strip;
}

QImage standInBoard(QColor ground, const QString& text)
{
    QImage image(160, 160, QImage::Format_RGB32);
    image.fill(ground);
    QPainter p(&image);
    p.setPen(Qt::white);
    QFont f;
    f.setPixelSize(28);
    f.setBold(true);
    p.setFont(f);
    p.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
}

Pictures load()
{
    Pictures pics;
    pics.im1 = standInStrip();
    pics.im_del = QImage(PieceSize, PieceSize, QImage::Format_RGB32);
    pics.im_del.fill(QColor(0, 128, 0));
    pics.im2 = standInBoard(QColor(200, 60, 140), QStringLiteral("Zorvat"));
    pics.im3 = standInBoard(QColor(60, 60, 200), QStringLiteral("OK"));
    pics.im_over = standInBoard(QColor(120, 0, 0), QStringLiteral("GAME\nOVER"));
    pics.backdrop = standInBoard(QColor(0, 90, 90), QString());
    pics.recordsBackground = QImage(200, 200, QImage::Format_RGB32);
    pics.recordsBackground.fill(QColor(30, 40, 150));
    return pics;
}

} // namespace

const Pictures& Pictures::instance()
{
    static const Pictures pictures = load();
    return pictures;
}

const QImage& Pictures::screen(Picture picture) const
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

} // namespace zorvat
