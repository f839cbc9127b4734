// SPDX-License-Identifier: GPL-3.0-or-later
#include "cell_painter.h"
#include "paint_box.h"
#include "pictures.h"

#include <QtTest>

#include <climits>

using namespace zorvat;

namespace {

// A picture whose every pixel names its own place: red is x, green is y.
QImage placeCoded(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x, y, 77));
    return image;
}

QPoint placeOf(QRgb c)
{
    return QPoint(qRed(c), qGreen(c));
}

Pictures codedPictures()
{
    Pictures p = Pictures::instance();
    p.im2 = placeCoded(160, 160);
    return p;
}

QImage everyPixelOf(QRgb c)
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

} // namespace

class TestCellPainter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tileBufStartsAsAWhite32By32Image();
    void eachKindShowsItsOwnPieceOfTheStrip_data();
    void eachKindShowsItsOwnPieceOfTheStrip();
    void kindsOutsideOneToFiveShowTheBlankTile_data();
    void kindsOutsideOneToFiveShowTheBlankTile();
    void hiddenCellIsSolidGreenAndLeavesTileBufAlone();
    void atStep32EveryCellShowsItsExactPiece();
    void atStep16TheTopLeftQuarterIsShownDoubled();
    void atStep1TheCellTakesThePiecesTopLeftPixel();
    void everyStepShowsTheWholeCornerSquareGrownWithoutMixing_data();
    void everyStepShowsTheWholeCornerSquareGrownWithoutMixing();
    void stepZeroShowsWhatStepOneShows();
    void stepHundredShrinksTheSquareAndRepeatsTheEdgeBeyondThePicture();
    void picturesInOtherFormatsPaintTheSame();
    void paintingReusesTileBufAndTheBoxImage();
};

void TestCellPainter::tileBufStartsAsAWhite32By32Image()
{
    const CellPainter painter(Pictures::instance());
    QCOMPARE(painter.TileBuf().size(), QSize(32, 32));
    QCOMPARE(painter.TileBuf(), everyPixelOf(qRgb(255, 255, 255)));
}

void TestCellPainter::eachKindShowsItsOwnPieceOfTheStrip_data()
{
    QTest::addColumn<int>("kind");
    for (int k = 1; k <= 5; ++k)
        QTest::addRow("kind %d", k) << k;
}

void TestCellPainter::eachKindShowsItsOwnPieceOfTheStrip()
{
    QFETCH(int, kind);
    CellPainter painter(Pictures::instance());
    PaintBox box(QStringLiteral("PaintBox6"), nullptr);
    painter.DrawCellKind(box, kind);
    QCOMPARE(box.canvas(), Pictures::instance().im1.copy((kind - 1) * 32, 0, 32, 32));
    QCOMPARE(painter.TileBuf(), box.canvas());
}

void TestCellPainter::kindsOutsideOneToFiveShowTheBlankTile_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("0") << 0;
    QTest::newRow("6") << 6;
    QTest::newRow("-1") << -1;
    QTest::newRow("largest") << INT_MAX;
    QTest::newRow("smallest") << INT_MIN;
}

void TestCellPainter::kindsOutsideOneToFiveShowTheBlankTile()
{
    QFETCH(int, kind);
    CellPainter painter(Pictures::instance());
    PaintBox box(QStringLiteral("PaintBox6"), nullptr);
    painter.DrawCellKind(box, kind);
    QCOMPARE(box.canvas(), Pictures::instance().im_del);
}

void TestCellPainter::hiddenCellIsSolidGreenAndLeavesTileBufAlone()
{
    CellPainter painter(Pictures::instance());
    PaintBox box(QStringLiteral("PaintBox6"), nullptr);
    painter.DrawCellKind(box, 2);
    const QImage before = painter.TileBuf().copy();
    painter.FillCellHidden(box);
    QCOMPARE(box.canvas(), everyPixelOf(qRgb(0, 128, 0)));
    QCOMPARE(painter.TileBuf(), before);
    // An empty cell looks just like a hidden one.
    painter.DrawCellEmpty(box);
    QCOMPARE(box.canvas(), everyPixelOf(qRgb(0, 128, 0)));
}

void TestCellPainter::atStep32EveryCellShowsItsExactPiece()
{
    for (const Picture picture : { Picture::im2, Picture::im3, Picture::im_over }) {
        CellPainter painter(Pictures::instance());
        PaintBox box(QStringLiteral("PaintBox6"), nullptr);
        for (int cell = 1; cell <= 25; ++cell) {
            painter.DrawCellZoom(box, cell, picture, 32);
            const QImage piece
                = Pictures::instance().screen(picture).copy((cell - 1) % 5 * 32, (cell - 1) / 5 * 32, 32, 32);
            QVERIFY2(box.canvas() == piece, qPrintable(QStringLiteral("cell %1").arg(cell)));
        }
    }
}

void TestCellPainter::atStep16TheTopLeftQuarterIsShownDoubled()
{
    const Pictures pictures = codedPictures();
    CellPainter painter(pictures);
    PaintBox box(QStringLiteral("PaintBox6"), nullptr);
    for (int cell = 1; cell <= 25; ++cell) {
        painter.DrawCellZoom(box, cell, Picture::im2, 16);
        const QPoint corner((cell - 1) % 5 * 32, (cell - 1) / 5 * 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                QCOMPARE(placeOf(box.canvas().pixel(x, y)), corner + QPoint(x / 2, y / 2));
    }
}

void TestCellPainter::atStep1TheCellTakesThePiecesTopLeftPixel()
{
    CellPainter painter(Pictures::instance());
    PaintBox box(QStringLiteral("PaintBox6"), nullptr);
    for (int cell = 1; cell <= 25; ++cell) {
        painter.DrawCellZoom(box, cell, Picture::im_over, 1);
        const QPoint corner((cell - 1) % 5 * 32, (cell - 1) / 5 * 32);
        QCOMPARE(box.canvas(), everyPixelOf(Pictures::instance().im_over.pixel(corner)));
    }
}

void TestCellPainter::everyStepShowsTheWholeCornerSquareGrownWithoutMixing_data()
{
    QTest::addColumn<int>("step");
    for (int s = 1; s <= 32; ++s)
        QTest::addRow("step %d", s) << s;
}

void TestCellPainter::everyStepShowsTheWholeCornerSquareGrownWithoutMixing()
{
    QFETCH(int, step);
    const Pictures pictures = codedPictures();
    CellPainter painter(pictures);
    PaintBox box(QStringLiteral("PaintBox6"), nullptr);
    for (int cell = 1; cell <= 25; ++cell) {
        painter.DrawCellZoom(box, cell, Picture::im2, step);
        const QPoint corner((cell - 1) % 5 * 32, (cell - 1) / 5 * 32);
        QList<int> seenColumns(step, 0);
        QList<int> seenRows(step, 0);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QRgb c = box.canvas().pixel(x, y);
                QCOMPARE(qBlue(c), 77); // a pixel of the picture, not a blend of two
                const QPoint at = placeOf(c) - corner;
                QVERIFY(at.x() >= 0 && at.x() < step && at.y() >= 0 && at.y() < step);
                // Pixel replication keeps the order of the source pixels.
                if (x > 0)
                    QVERIFY(at.x() >= placeOf(box.canvas().pixel(x - 1, y)).x() - corner.x());
                if (y > 0)
                    QVERIFY(at.y() >= placeOf(box.canvas().pixel(x, y - 1)).y() - corner.y());
                if (y == 0)
                    ++seenColumns[at.x()];
                if (x == 0)
                    ++seenRows[at.y()];
            }
        }
        // Each source column and row is grown to 32 / step pixels, give or take one.
        for (int i = 0; i < step; ++i) {
            QVERIFY(seenColumns[i] >= 32 / step && seenColumns[i] <= (32 + step - 1) / step);
            QVERIFY(seenRows[i] >= 32 / step && seenRows[i] <= (32 + step - 1) / step);
        }
    }
}

void TestCellPainter::stepZeroShowsWhatStepOneShows()
{
    CellPainter painter(Pictures::instance());
    PaintBox zero(QStringLiteral("PaintBox6"), nullptr);
    PaintBox one(QStringLiteral("PaintBox7"), nullptr);
    for (int cell = 1; cell <= 25; ++cell) {
        painter.DrawCellZoom(zero, cell, Picture::im3, 0);
        painter.DrawCellZoom(one, cell, Picture::im3, 1);
        QCOMPARE(zero.canvas(), one.canvas());
    }
}

void TestCellPainter::stepHundredShrinksTheSquareAndRepeatsTheEdgeBeyondThePicture()
{
    const Pictures pictures = codedPictures();
    CellPainter painter(pictures);
    PaintBox box(QStringLiteral("PaintBox6"), nullptr);
    for (int cell = 1; cell <= 25; ++cell) {
        painter.DrawCellZoom(box, cell, Picture::im2, 100);
        const QPoint corner((cell - 1) % 5 * 32, (cell - 1) / 5 * 32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QPoint at = placeOf(box.canvas().pixel(x, y));
                QVERIFY(at.x() >= corner.x() && at.x() < 160 && at.y() >= corner.y() && at.y() < 160);
            }
        }
        // The square's far side lies beyond the picture for every cell off the top-left four.
        const QPoint farCorner = placeOf(box.canvas().pixel(31, 31));
        if (corner.x() + 100 > 160)
            QCOMPARE(farCorner.x(), 159);
        if (corner.y() + 100 > 160)
            QCOMPARE(farCorner.y(), 159);
        if (corner.x() + 100 <= 160 && corner.y() + 100 <= 160)
            QVERIFY(farCorner.x() - corner.x() > 90 && farCorner.y() - corner.y() > 90);
    }
}

void TestCellPainter::picturesInOtherFormatsPaintTheSame()
{
    Pictures other = Pictures::instance();
    other.im1 = other.im1.convertToFormat(QImage::Format_RGB888);
    other.im_del = other.im_del.convertToFormat(QImage::Format_Indexed8);
    CellPainter native(Pictures::instance());
    CellPainter converted(other);
    PaintBox a(QStringLiteral("PaintBox6"), nullptr);
    PaintBox b(QStringLiteral("PaintBox7"), nullptr);
    for (int kind = 0; kind <= 5; ++kind) {
        native.DrawCellKind(a, kind);
        converted.DrawCellKind(b, kind);
        QCOMPARE(b.canvas(), a.canvas());
    }
}

void TestCellPainter::paintingReusesTileBufAndTheBoxImage()
{
    CellPainter painter(Pictures::instance());
    PaintBox box(QStringLiteral("PaintBox6"), nullptr);
    const uchar* tileBuf = painter.TileBuf().constBits();
    const uchar* canvas = box.canvas().constBits();
    for (int step : { 0, 1, 7, 16, 31, 32, 100 })
        painter.DrawCellZoom(box, 13, Picture::im2, step);
    for (int kind = 0; kind <= 6; ++kind)
        painter.DrawCellKind(box, kind);
    painter.FillCellHidden(box);
    QCOMPARE(painter.TileBuf().constBits(), tileBuf);
    QCOMPARE(box.canvas().constBits(), canvas);
}

QTEST_MAIN(TestCellPainter)
#include "test_cell_painter.moc"
