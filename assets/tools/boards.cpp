// SPDX-License-Identifier: GPL-3.0-or-later
#include "boards.h"

#include "art_canvas.h"
#include "brick_wall.h"
#include "faces.h"
#include "lettering.h"
#include "pixel_letters.h"

#include <QTransform>

#include <algorithm>
#include <cmath>
#include <functional>

namespace zorvat::art {

namespace {

constexpr int Fine = 4; // every board is drawn at four times its size

QPainterPath rect(double x, double y, double w, double h)
{
    QPainterPath p;
    p.addRect(QRectF(x, y, w, h));
    return p;
}

QPainterPath roundRect(double x, double y, double w, double h, double r)
{
    QPainterPath p;
    p.addRoundedRect(QRectF(x, y, w, h), r, r);
    return p;
}

QPainterPath ellipse(double cx, double cy, double rx, double ry)
{
    QPainterPath p;
    p.addEllipse(QPointF(cx, cy), rx, ry);
    return p;
}

Shape moved(const Shape& shape, double dx, double dy)
{
    Shape out;
    for (const QPainterPath& p : shape)
        out.push_back(p.translated(dx, dy));
    return out;
}

Shape transformed(const Shape& shape, const QTransform& t)
{
    Shape out;
    for (const QPainterPath& p : shape)
        out.push_back(t.map(p));
    return out;
}

// A soft shadow: the shape grown in a few steps, each faint, so its edge fades out.
void softShadow(ArtCanvas& canvas, const QPainterPath& shape, double dx, double dy, int alpha, int steps = 4)
{
    for (int i = steps; i >= 1; --i) {
        const double grow = i * 0.9;
        canvas.fill(outlineOf(shape, 2 * grow).translated(dx, dy), qRgba(0, 0, 0, alpha / (steps + 1)));
    }
    canvas.fill(shape.translated(dx, dy), qRgba(0, 0, 0, alpha / (steps + 1)));
}

// A four-pointed twinkle.
QPainterPath sparkle(double cx, double cy, double r)
{
    QPainterPath p;
    const double w = r * 0.22;
    p.moveTo(cx, cy - r);
    p.quadTo(cx + w, cy - w, cx + r, cy);
    p.quadTo(cx + w, cy + w, cx, cy + r);
    p.quadTo(cx - w, cy + w, cx - r, cy);
    p.quadTo(cx - w, cy - w, cx, cy - r);
    p.closeSubpath();
    return p;
}

// Letters with a dark rim and a light rim around them and a shadow below, so that they
// read on any wall.
void paintBadgeLettering(
    ArtCanvas& canvas, const Lettering& text, QPointF at, const Shader& face, QRgb lightRim, QRgb darkRim, double rim)
{
    canvas.fill(moved(text.shape(at, 2 * rim + 2), 1.5, 2.0), qRgba(0, 0, 0, 110));
    canvas.fill(text.shape(at, 2 * rim + 1.6), darkRim);
    canvas.fill(text.shape(at, 2 * rim), lightRim);
    canvas.fill(text.shape(at), face);
}

} // namespace

QImage titlePicture(int resolution)
{
    ArtCanvas canvas(160, 160, Fine, resolution);
    BrickWall wall;
    wall.brick = [](double, double y) { return mix(0xffe0569e, 0xffc2407f, y / 160.0); };
    wall.mortarColour = 0xff8a3062;
    wall.resolution = resolution;
    wall.seed = 11;
    canvas.paintAll([&](double x, double y) { return wall.colourAt(x, y); });

    // The signboard: a dark frame with bolts, a light board inside.
    const QRectF board(9, 12, 142, 72);
    softShadow(canvas, roundRect(board.x(), board.y(), board.width(), board.height(), 4), 3, 4, 150);
    canvas.fill(roundRect(board.x(), board.y(), board.width(), board.height(), 4),
        [&](double, double y) { return mix(0xff5a3a2c, 0xff3a2418, (y - board.top()) / board.height()); });
    canvas.stroke(
        roundRect(board.x() + 0.6, board.y() + 0.6, board.width() - 1.2, board.height() - 1.2, 3.5), 1.0, 0x60ffffff);
    const QRectF inner = board.adjusted(6, 6, -6, -6);
    canvas.fill(rect(inner.x() - 1, inner.y() - 1, inner.width() + 2, inner.height() + 2), 0xff24140c);
    canvas.fill(rect(inner.x(), inner.y(), inner.width(), inner.height()), [&](double x, double y) {
        const double t = (y - inner.top()) / inner.height();
        const QRgb c = mix(0xfffffbea, 0xfff0e0b8, t);
        return scaled(c, 1.0 + 0.025 * (grainAt(x, y, resolution, 5) - 0.5));
    });
    canvas.fill(rect(inner.x(), inner.y(), inner.width(), 2), 0x40000000);
    for (const QPointF bolt : { board.topLeft() + QPointF(3, 3), board.topRight() + QPointF(-3, 3),
             board.bottomLeft() + QPointF(3, -3), board.bottomRight() + QPointF(-3, -3) }) {
        canvas.fill(ellipse(bolt.x(), bolt.y(), 1.9, 1.9), 0xff1a100a);
        canvas.fill(ellipse(bolt.x() - 0.3, bolt.y() - 0.3, 1.4, 1.4), 0xffc8c0b0);
        canvas.fill(ellipse(bolt.x() - 0.6, bolt.y() - 0.6, 0.6, 0.6), 0xffffffff);
    }

    LetterStyle title;
    title.capHeight = 24;
    title.weight = 2.2;
    title.tracking = 1.2;
    Lettering zorvat(QStringLiteral("Zorvat"), title);
    const double bounce[] = { 0.0, 0.4, -0.3, 0.4, -0.2, 0.3 };
    for (int i = 0; i < 6; ++i)
        zorvat.lift(i, bounce[i]);
    // The name stands within the second row of pieces, so that no frame of the grid cuts it.
    const QPointF at(80 - zorvat.width() / 2, 36);
    canvas.fill(moved(zorvat.shape(at), 2.0, 2.0), 0x50603010);
    canvas.fill(zorvat.shape(at), [](double, double y) { return mix(0xff3a3a44, 0xff08080c, (y - 34) / 28); });

    LetterStyle logoStyle;
    logoStyle.capHeight = 19;
    logoStyle.weight = 1.7;
    logoStyle.tracking = 0.8;
    logoStyle.slant = 0.18;
    const Lettering logo(QStringLiteral("Rekvan"), logoStyle);
    const QPointF logoAt(80 - logo.width() / 2 - 2, 102);
    paintBadgeLettering(
        canvas, logo, logoAt, [](double, double y) { return mix(0xff1ec8c0, 0xff007c80, (y - 102) / 19); }, 0xfffffff4,
        0xff003438, 1.6);
    canvas.fill(sparkle(logoAt.x() + logo.width() + 6, 103, 4.5), 0xffffffff);
    canvas.fill(sparkle(logoAt.x() - 4, 122, 3), 0xfffff4a0);
    return canvas.reduced();
}

QImage correctPicture(int resolution)
{
    ArtCanvas canvas(160, 160, Fine, resolution);
    BrickWall wall;
    wall.brick = [](double x, double y) { return mix(0xff2a4ad2, 0xff8a3ad0, (x + y) / 320.0); };
    wall.mortarColour = 0xff181a5a;
    wall.resolution = resolution;
    wall.seed = 23;
    canvas.paintAll([&](double x, double y) { return wall.colourAt(x, y); });

    // A glow behind the letters.
    canvas.fill(ellipse(80, 80, 76, 60), [](double x, double y) {
        const double dx = (x - 80) / 76;
        const double dy = (y - 80) / 60;
        const double d = std::sqrt(dx * dx + dy * dy);
        return qRgba(255, 255, 255, int(90 * (1.0 - smoothstep(0.0, 1.0, d))));
    });

    LetterStyle ok;
    ok.capHeight = 72;
    ok.weight = 1.5;
    ok.nib = QPointF(1.9, -0.55);
    ok.serifs = true;
    ok.tracking = 2.6;
    const Lettering letters(QStringLiteral("OK"), ok);
    const QPointF at(80 - letters.width() / 2 - 2, 44);
    canvas.fill(moved(letters.shape(at, 14), 4, 5), qRgba(0, 0, 0, 120));
    canvas.fill(letters.shape(at, 13), 0xff2a0418);
    canvas.fill(letters.shape(at, 9), [](double, double y) { return mix(0xfffff6b0, 0xffffc830, (y - 40) / 80); });
    canvas.fill(letters.shape(at, 4), 0xff600010);
    canvas.fill(letters.shape(at), [](double, double y) {
        const double t = (y - 42) / 76;
        return t < 0.45 ? mix(0xffff5a50, 0xffe81c2c, t / 0.45) : mix(0xffe81c2c, 0xffa00818, (t - 0.45) / 0.55);
    });
    // A shine across the upper half of the letters.
    Shape shine;
    for (const QPainterPath& p : letters.shape(at))
        shine.push_back(p.intersected(rect(0, 46, 160, 16)));
    canvas.fill(shine, 0x50ffffff);

    canvas.fill(sparkle(20, 22, 7), 0xffffffff);
    canvas.fill(sparkle(141, 30, 5), 0xfffff09a);
    canvas.fill(sparkle(136, 138, 8), 0xffffffff);
    canvas.fill(sparkle(26, 140, 4.5), 0xfffff09a);
    return canvas.reduced();
}

QImage gameOverPicture(int resolution)
{
    ArtCanvas canvas(160, 160, Fine, resolution);
    canvas.paintAll([resolution](double x, double y) {
        const double dx = (x - 80) / 110;
        const double dy = (y - 80) / 110;
        const double vignette = 1.0 - 0.9 * (dx * dx + dy * dy);
        // The cloth's grain follows the pixels; its diagonal weave is part of the drawing.
        const double weave = 0.06 * (grainAt(x, y, resolution, 31) - 0.5)
            + 0.05 * ((int(std::floor(x)) + int(std::floor(y))) % 4 == 0 ? 1 : 0);
        return scaled(0xff8a0c14, vignette + weave);
    });

    // The sheet, its lower left corner curled up.
    const double left = 20;
    const double top = 16;
    const double right = 142;
    const double bottom = 146;
    const double curl = 24;
    QPainterPath sheet;
    sheet.moveTo(left, top);
    sheet.lineTo(right, top);
    sheet.lineTo(right, bottom);
    sheet.lineTo(left + curl, bottom);
    sheet.lineTo(left, bottom - curl);
    sheet.closeSubpath();
    softShadow(canvas, sheet, 4, 5, 170, 5);
    canvas.fill(sheet, [&](double x, double y) {
        QRgb c = mix(0xfffffdf6, 0xffeeeadc, ((x - left) + (y - top)) / 260.0);
        const double lineY = std::fmod(y - 36, 13.0);
        if (y > 34 && lineY >= 0 && lineY < 1.0)
            c = mix(c, 0xff98b8e0, 0.55);
        if (x >= 33 && x < 34)
            c = mix(c, 0xffe05050, 0.5);
        return c;
    });
    // The curl: the back of the paper, shaded towards the fold.
    QPainterPath back;
    back.moveTo(left, bottom - curl);
    back.quadTo(left + curl * 0.55, bottom - curl * 0.55, left + curl, bottom);
    back.lineTo(left + curl * 0.95, bottom - curl * 0.95 + 0.2);
    back.closeSubpath();
    QPainterPath flap;
    flap.moveTo(left, bottom - curl);
    flap.cubicTo(
        left + curl * 0.35, bottom - curl * 0.62, left + curl * 0.62, bottom - curl * 0.35, left + curl, bottom);
    flap.lineTo(left + curl * 0.82, bottom - curl * 0.82);
    flap.closeSubpath();
    canvas.fill(flap.translated(1.5, 1.5), 0x50000000);
    canvas.fill(flap, [&](double x, double y) {
        const double t = ((x - left) - (bottom - y)) / curl;
        return mix(0xffffffff, 0xffc8c2b4, 0.5 + 0.5 * t);
    });
    canvas.stroke(flap, 0.6, 0x60706050);

    LetterStyle big;
    big.capHeight = 24;
    big.weight = 2.0;
    big.tracking = 2.0;
    big.cap = Qt::SquareCap;
    Lettering game(QStringLiteral("GAME"), big);
    Lettering over(QStringLiteral("OVER"), big);
    const double tilt[] = { 0.2, -0.1, 0.15, -0.2 };
    for (int i = 0; i < 4; ++i) {
        game.lift(i, tilt[i]);
        over.lift(i, -tilt[i]);
    }
    // Each line stands within one row of pieces, so that no frame of the grid cuts it across.
    const QPointF gameAt(82 - game.width() / 2, 35);
    const QPointF overAt(84 - over.width() / 2, 67);
    for (const auto& [text, at] : { std::pair { &game, gameAt }, std::pair { &over, overAt } }) {
        canvas.fill(moved(text->shape(at), 1.2, 1.2), 0x40000000);
        canvas.fill(text->shape(at), 0xff141416);
    }

    // A sad face stuck on below, within one piece of its own.
    paintFace(canvas, 5, QPointF(65, 97), 30, 30);

    // The red pin at the top right, with its shadow on the paper.
    const double px = 126;
    const double py = 26;
    canvas.fill(ellipse(px + 3.5, py + 4.5, 6.5, 6.0), 0x60000000);
    canvas.fill(ellipse(px, py, 7, 7), [&](double x, double y) {
        const double nx = (x - px) / 7;
        const double ny = (y - py) / 7;
        const double d = std::min(1.0, std::sqrt(nx * nx + ny * ny));
        const double light = std::max(0.0, -0.55 * nx - 0.6 * ny + 0.58 * std::sqrt(1 - d * d));
        return mix(scaled(0xffe01020, 0.45 + 0.7 * light), 0xff400008, smoothstep(0.85, 1.0, d) * 0.7);
    });
    canvas.fill(ellipse(px - 2.3, py - 2.6, 2.2, 1.6), 0xd0ffffff);
    return canvas.reduced();
}

QImage backdropPicture(int resolution)
{
    ArtCanvas canvas(160, 160, Fine, resolution);
    BrickWall wall;
    wall.brick = [](double, double y) { return mix(0xff0e6a70, 0xff0a4e56, y / 160.0); };
    wall.mortarColour = 0xff06262c;
    wall.variation = 0.16;
    wall.resolution = resolution;
    wall.seed = 37;
    canvas.paintAll([&](double x, double y) { return wall.colourAt(x, y); });

    // The window stretches this picture about 2.6 times across but only about 2.06 times
    // down; the logo and the face are drawn narrow here so that they come out round there.
    const double squeeze = 2.056 / 2.606;
    const double centreX = 125;

    LetterStyle logoStyle;
    logoStyle.capHeight = 19;
    logoStyle.weight = 1.7;
    logoStyle.tracking = 0.8;
    logoStyle.slant = 0.16;
    const Lettering logo(QStringLiteral("Rekvan"), logoStyle);
    const QTransform narrow = QTransform::fromTranslate(-centreX, 0) * QTransform::fromScale(squeeze, 1)
        * QTransform::fromTranslate(centreX, 0);
    const QPointF at(centreX - logo.width() / 2, 7);
    QPainterPath underline;
    underline.moveTo(at.x() - 1, 32);
    underline.quadTo(centreX, 29.5, at.x() + logo.width() + 4, 31);
    const Shape line { outlineOf(narrow.map(underline), 1.8, Qt::RoundCap) };
    canvas.fill(transformed(moved(logo.shape(at, 1.0), 1.2, 1.6), narrow), 0xa0001418);
    canvas.fill(moved(line, 1.0, 1.4), 0xa0001418);
    canvas.fill(transformed(logo.shape(at), narrow),
        [](double, double y) { return mix(0xffffffff, 0xffb4f0e8, (y - 8) / 19); });
    canvas.fill(line, 0xffb4f0e8);
    QImage picture = canvas.reduced();

    // The face is drawn apart from the wall, once on black and once on white: the two give
    // its colour and how much it covers, which are blurred and then laid over the wall.
    const double faceHeight = 50;
    const double faceWidth = faceHeight * squeeze;
    const QPointF origin(centreX - 15.5 * faceWidth / 32, 37);
    // The face is as soft at every resolution: a box pass of radius r pixels spreads it by
    // r(r + 1) / 3 square pixels, and the picture's own blur is two passes of radius one
    // picture pixel.
    const int blurPasses = int(std::lround(4.0 * resolution / (resolution + 1)));
    QImage layers[2];
    for (int i = 0; i < 2; ++i) {
        ArtCanvas face(160, 160, Fine, resolution);
        const QRgb ground = i == 0 ? 0xff000000 : 0xffffffff;
        face.paintAll([ground](double, double) { return ground; });
        paintFace(face, 1, origin, faceWidth, faceHeight);
        layers[i] = blurred(face.reduced(), resolution, blurPasses);
    }
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb onBlack = layers[0].pixel(x, y);
            const QRgb onWhite = layers[1].pixel(x, y);
            const int cover = 255 - (qGreen(onWhite) - qGreen(onBlack));
            const QRgb under = picture.pixel(x, y);
            const auto over = [cover](int u, int premultiplied) {
                return std::clamp(premultiplied + (u * (255 - cover) + 127) / 255, 0, 255);
            };
            picture.setPixel(x, y,
                qRgb(over(qRed(under), qRed(onBlack)), over(qGreen(under), qGreen(onBlack)),
                    over(qBlue(under), qBlue(onBlack))));
        }
    }
    return picture;
}

QImage recordsBackground(int resolution)
{
    ArtCanvas canvas(200, 200, Fine, resolution);
    BrickWall wall;
    wall.brick = [](double, double y) { return mix(0xff2240a0, 0xff182c80, y / 200.0); };
    wall.mortarColour = 0xff0c1448;
    wall.resolution = resolution;
    wall.seed = 53;
    canvas.paintAll([&](double x, double y) { return wall.colourAt(x, y); });

    QImage picture = canvas.reduced();

    // The rank words are set pixel by pixel: at this size a pen would blur them. Each word,
    // its underline and their shadow fill exactly the rows the records window leaves for it.
    const QRgb shadow = qRgb(0, 6, 30);
    const char* words[] = { "1st", "2nd", "3rd", "4th", "5th" };
    for (int i = 0; i < 5; ++i) {
        const RankRows rows = RankWordRows[i];
        // A pixel of the word: a square of pixels at a higher resolution, each row in the
        // colour of its own height.
        const auto ink = [&](int x, int y, const std::function<QRgb(double)>& colourAt) {
            for (int dy = 0; dy < resolution; ++dy)
                for (int dx = 0; dx < resolution; ++dx)
                    picture.setPixel(x * resolution + dx, y * resolution + dy, colourAt(y + double(dy) / resolution));
        };
        const auto plain = [](QRgb colour) { return [colour](double) { return colour; }; };
        const auto gold = [&](double y) { return mix(0xfffff060, 0xfff0b010, (y - rows.top) / 8.0); };
        const QString word = QString::fromLatin1(words[i]);
        forEachPixel(PixelFace::RankSerif, word, RankWordLeft, rows.top,
            [&](int x, int y) { ink(x + 1, y + 1, plain(shadow)); });
        for (int x = RankWordLeft; x < RankWordRight; ++x)
            ink(x + 1, rows.bottom, plain(shadow));
        forEachPixel(PixelFace::RankSerif, word, RankWordLeft, rows.top, [&](int x, int y) { ink(x, y, gold); });
        for (int x = RankWordLeft; x < RankWordRight; ++x)
            ink(x, rows.bottom - 1, plain(0xfff8d020));
    }
    return picture;
}

} // namespace zorvat::art
