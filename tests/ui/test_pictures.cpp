// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_set.h"
#include "pictures.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

using namespace zorvat;

namespace {

const QString AssetsDir = QStringLiteral(ZORVAT_ASSETS_DIR);

QByteArray committed(const QString& name)
{
    QFile file(AssetsDir + QLatin1Char('/') + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 u32(const QByteArray& data, int at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint16 u16(const QByteArray& data, int at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

// The sixteen colours of the standard table, in table order.
const std::array<QRgb, 16> StandardColours { qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0),
    qRgb(0, 0, 128), qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(128, 128, 128), qRgb(255, 0, 0),
    qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255) };

const QRgb Green = qRgb(0, 128, 0);

QImage piece(int kind)
{
    return Pictures::instance().im1.copy((kind - 1) * 32, 0, 32, 32);
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void committedPicturesAreUncompressedBitmapsOfTheirFixedSizeAndDepth_data();
    void committedPicturesAreUncompressedBitmapsOfTheirFixedSizeAndDepth();
    void blankTileHasTheStandardTableAndColourTwoInEveryPixel();
    void iconIsThirtyTwoSquareInSixteenColoursWithClearCorners();
    void launcherIconsAreDrawnForEachSizeNotScaledFromAnother();
    void generatorRedrawsEveryCommittedFileByteForByte();
    void eachFaceHasItsColourAtTheCentreOnTheSharedGreen_data();
    void eachFaceHasItsColourAtTheCentreOnTheSharedGreen();
    void facesStayApartWithoutColour();
    void rankWordsStandInTheirRowsAtTheLeftEdgeOfTheRecordsBackground();
    void picturesLoadFromTheProgramInTheDisplaysOwnFormat();
    void doubledPicturesAreTheSameDrawingsWithTwiceTheDetail_data();
    void doubledPicturesAreTheSameDrawingsWithTwiceTheDetail();
};

void TestPictures::committedPicturesAreUncompressedBitmapsOfTheirFixedSizeAndDepth_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::newRow("tile strip") << "im1.bmp" << 160 << 32 << 24;
    QTest::newRow("blank tile") << "im_del.bmp" << 32 << 32 << 4;
    QTest::newRow("title") << "im2.bmp" << 160 << 160 << 24;
    QTest::newRow("correct answer") << "im3.bmp" << 160 << 160 << 24;
    QTest::newRow("game over") << "im_over.bmp" << 160 << 160 << 24;
    QTest::newRow("backdrop") << "backdrop.bmp" << 160 << 160 << 24;
    QTest::newRow("records background") << "records.bmp" << 200 << 200 << 24;
}

void TestPictures::committedPicturesAreUncompressedBitmapsOfTheirFixedSizeAndDepth()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    const QByteArray data = committed(name);
    QVERIFY2(data.size() > 54, qPrintable(name));
    QCOMPARE(data.left(2), QByteArray("BM"));
    QCOMPARE(u32(data, 2), quint32(data.size()));
    QCOMPARE(u32(data, 14), 40u);
    QCOMPARE(int(u32(data, 18)), width);
    QCOMPARE(int(u32(data, 22)), height); // positive: rows stored bottom-up
    QCOMPARE(u16(data, 26), 1);
    QCOMPARE(int(u16(data, 28)), bits);
    QCOMPARE(u32(data, 30), 0u);
    const int stride = (width * bits + 31) / 32 * 4;
    QCOMPARE(qsizetype(u32(data, 10)) + stride * height, data.size());
}

void TestPictures::blankTileHasTheStandardTableAndColourTwoInEveryPixel()
{
    const QByteArray data = committed(QStringLiteral("im_del.bmp"));
    QCOMPARE(data.size(), 14 + 40 + 16 * 4 + 16 * 32);
    for (int i = 0; i < 16; ++i) {
        const auto* entry = reinterpret_cast<const uchar*>(data.constData() + 54 + 4 * i);
        QCOMPARE(qRgb(entry[2], entry[1], entry[0]), StandardColours[std::size_t(i)]);
    }
    for (qsizetype at = u32(data, 10); at < data.size(); ++at)
        QCOMPARE(uchar(data[at]), uchar(0x22));
    const QImage decoded = Pictures::instance().im_del;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            QCOMPARE(decoded.pixel(x, y), Green);
}

void TestPictures::iconIsThirtyTwoSquareInSixteenColoursWithClearCorners()
{
    const QByteArray data = committed(QStringLiteral("zorvat.ico"));
    QVERIFY(data.size() > 22 + 40);
    QCOMPARE(u16(data, 2), 1); // an icon
    QCOMPARE(u16(data, 4), 1); // one image
    QCOMPARE(uchar(data[6]), uchar(32));
    QCOMPARE(uchar(data[7]), uchar(32));
    QCOMPARE(uchar(data[8]), uchar(16));
    const int bitmap = int(u32(data, 18));
    QCOMPARE(u16(data, bitmap + 14), 4);
    QCOMPARE(u32(data, bitmap + 16), 0u);

    const QImage icon = QImage::fromData(data, "ICO").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.size(), QSize(32, 32));
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(31, 0)), 0);
    QCOMPARE(qAlpha(icon.pixel(16, 16)), 255);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = icon.pixel(x, y);
            QVERIFY(qAlpha(c) == 0
                || std::find(StandardColours.begin(), StandardColours.end(), c | 0xff000000) != StandardColours.end());
        }
    }
    QVERIFY(!Pictures::appIcon().isNull());
    QVERIFY(Pictures::appIcon().availableSizes().contains(QSize(32, 32)));
}

void TestPictures::launcherIconsAreDrawnForEachSizeNotScaledFromAnother()
{
    const QList<int> sizes { 16, 24, 32, 48, 64, 128, 256 };
    std::map<int, QImage> icons;
    for (const int size : sizes) {
        const QImage icon = QImage::fromData(committed(QStringLiteral("icons/zorvat-%1.png").arg(size)))
                                .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(size, size));
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(size - 1, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
        icons[size] = icon;
    }

    // How far apart two pictures of one size are, as the mean difference of their channels.
    const auto distance = [](const QImage& a, const QImage& b) {
        double sum = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q))
                    + std::abs(qAlpha(p) - qAlpha(q));
            }
        return sum / (a.width() * a.height() * 4.0);
    };
    // A picture enlarged from a smaller one stands in blocks of equal pixels, so it matches the
    // smaller one enlarged. The small sizes are set pixel by pixel, so neither do they match a
    // larger one reduced; the large ones are drawn smooth from one design, and may.
    for (const int small : sizes) {
        for (const int large : sizes) {
            if (large <= small)
                continue;
            const QImage& big = icons[large];
            const QImage up = icons[small].scaled(large, large, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            const QImage down = big.scaled(small, small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            QVERIFY2(distance(up, big) > 2, qPrintable(QStringLiteral("%1 from %2").arg(large).arg(small)));
            if (small <= 32)
                QVERIFY2(
                    distance(down, icons[small]) > 4, qPrintable(QStringLiteral("%1 from %2").arg(small).arg(large)));
        }
    }

    // The window offers every size, so the desktop never has to scale one.
    const QList<QSize> offered = Pictures::appIcon().availableSizes();
    for (const int size : sizes)
        QVERIFY2(offered.contains(QSize(size, size)), qPrintable(QString::number(size)));
}

void TestPictures::generatorRedrawsEveryCommittedFileByteForByte()
{
    QStringList drawn;
    for (const art::ArtFile& file : art::makeAllPictures()) {
        drawn << file.name;
        const QByteArray stored = committed(file.name);
        if (file.exactBytes) {
            QVERIFY2(
                stored == file.bytes, qPrintable(file.name + QStringLiteral(" differs from what the generator draws")));
        } else {
            const QImage a = QImage::fromData(stored).convertToFormat(QImage::Format_ARGB32);
            const QImage b = QImage::fromData(file.bytes).convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(!a.isNull() && a == b,
                qPrintable(file.name + QStringLiteral(" differs from what the generator draws")));
        }
    }
    // Everything the program carries is drawn by the generator.
    for (const QString& name : QDir(QStringLiteral(":/pictures")).entryList())
        QVERIFY2(drawn.contains(name), qPrintable(name));
    // The desktop theme's 32-pixel picture is the program icon itself.
    const QImage png
        = QImage::fromData(committed(QStringLiteral("icons/zorvat-32.png"))).convertToFormat(QImage::Format_ARGB32);
    const QImage ico
        = QImage::fromData(committed(QStringLiteral("zorvat.ico")), "ICO").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(png, ico);
}

void TestPictures::eachFaceHasItsColourAtTheCentreOnTheSharedGreen_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("hueLow");
    QTest::addColumn<int>("hueHigh");
    QTest::newRow("red") << 1 << -15 << 15;
    QTest::newRow("blue") << 2 << 205 << 240;
    QTest::newRow("yellow") << 3 << 40 << 62;
    QTest::newRow("green") << 4 << 90 << 135;
    QTest::newRow("light cyan") << 5 << 175 << 200;
}

void TestPictures::eachFaceHasItsColourAtTheCentreOnTheSharedGreen()
{
    QFETCH(int, kind);
    QFETCH(int, hueLow);
    QFETCH(int, hueHigh);
    const QImage face = piece(kind);
    for (const QPoint corner : { QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31) })
        QCOMPARE(face.pixel(corner), Green);

    for (const QPoint centre : { QPoint(15, 15), QPoint(16, 16) }) {
        const QColor c = face.pixelColor(centre);
        const int hue = c.hsvHue() > 180 + hueHigh ? c.hsvHue() - 360 : c.hsvHue();
        QVERIFY2(hue >= hueLow && hue <= hueHigh, qPrintable(c.name()));
        QVERIFY2(c.value() > 150, qPrintable(c.name())); // the ball, not the darker ground
    }
    // The light cyan ball is the pale one.
    if (kind == 5)
        QVERIFY(face.pixelColor(16, 16).hsvSaturation() < 128);
}

void TestPictures::facesStayApartWithoutColour()
{
    // A player who cannot tell the colours apart must still tell the faces apart: in grey,
    // any two faces differ clearly inside the ball.
    for (int a = 1; a <= 5; ++a) {
        for (int b = a + 1; b <= 5; ++b) {
            const QImage one = piece(a).convertToFormat(QImage::Format_Grayscale8);
            const QImage two = piece(b).convertToFormat(QImage::Format_Grayscale8);
            int differing = 0;
            for (int y = 6; y < 28; ++y)
                for (int x = 6; x < 26; ++x)
                    differing += std::abs(one.pixelColor(x, y).value() - two.pixelColor(x, y).value()) > 40 ? 1 : 0;
            QVERIFY2(differing > 40,
                qPrintable(QStringLiteral("kinds %1 and %2 differ in %3 pixels").arg(a).arg(b).arg(differing)));
        }
    }
}

void TestPictures::rankWordsStandInTheirRowsAtTheLeftEdgeOfTheRecordsBackground()
{
    const QImage picture = Pictures::instance().recordsBackground;
    const int rows[5][2] = { { 6, 19 }, { 43, 55 }, { 79, 92 }, { 116, 128 }, { 152, 165 } };
    const auto yellow = [](QRgb c) { return qRed(c) > 180 && qGreen(c) > 140 && qBlue(c) < 120; };
    const auto rankOf = [&rows](int y) {
        for (int i = 0; i < 5; ++i)
            if (y >= rows[i][0] && y <= rows[i][1])
                return i;
        return -1;
    };
    int found[5] = {};
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < 40; ++x) {
            if (!yellow(picture.pixel(x, y)))
                continue;
            QVERIFY2(x >= 4 && x <= 29 && rankOf(y) >= 0, qPrintable(QStringLiteral("yellow at %1, %2").arg(x).arg(y)));
            ++found[rankOf(y)];
        }
    }
    for (int i = 0; i < 5; ++i) {
        QVERIFY(found[i] > 40);
        // The word reaches the top of its rows; its underline lies at their foot.
        bool top = false;
        bool underline = true;
        for (int x = 4; x <= 28; ++x) {
            top = top || yellow(picture.pixel(x, rows[i][0]));
            underline = underline && yellow(picture.pixel(x, rows[i][1] - 1));
        }
        QVERIFY(top);
        QVERIFY(underline);
    }
}

void TestPictures::picturesLoadFromTheProgramInTheDisplaysOwnFormat()
{
    const Pictures& p = Pictures::instance();
    const std::pair<const QImage*, QSize> expected[]
        = { { &p.im1, { 160, 32 } }, { &p.im_del, { 32, 32 } }, { &p.im2, { 160, 160 } }, { &p.im3, { 160, 160 } },
              { &p.im_over, { 160, 160 } }, { &p.backdrop, { 160, 160 } }, { &p.recordsBackground, { 200, 200 } } };
    for (const auto& [image, size] : expected) {
        QCOMPARE(image->size(), size);
        QCOMPARE(image->format(), QImage::Format_RGB32);
    }
    QCOMPARE(&p.screen(Picture::im2), &p.im2);
    QCOMPARE(&p.screen(Picture::im3), &p.im3);
    QCOMPARE(&p.screen(Picture::im_over), &p.im_over);
    QCOMPARE(p.im2, QImage(QStringLiteral(ZORVAT_ASSETS_DIR "/im2.bmp")).convertToFormat(QImage::Format_RGB32));
}

void TestPictures::doubledPicturesAreTheSameDrawingsWithTwiceTheDetail_data()
{
    QTest::addColumn<QImage>("own");
    QTest::addColumn<QImage>("doubled");
    QTest::addColumn<double>("finer"); // at least this share of 2 x 2 squares holds more than one colour
    const Pictures& p = Pictures::instance();
    const PictureSet& d = Pictures::doubled();
    QTest::newRow("tile strip") << p.im1 << d.im1 << 0.5;
    QTest::newRow("blank tile") << p.im_del << d.im_del << 0.0;
    QTest::newRow("title") << p.im2 << d.im2 << 0.8;
    QTest::newRow("correct answer") << p.im3 << d.im3 << 0.8;
    QTest::newRow("game over") << p.im_over << d.im_over << 0.4;
    QTest::newRow("backdrop") << p.backdrop << d.backdrop << 0.8;
    QTest::newRow("records background") << p.recordsBackground << d.recordsBackground << 0.8;
}

void TestPictures::doubledPicturesAreTheSameDrawingsWithTwiceTheDetail()
{
    QFETCH(QImage, own);
    QFETCH(QImage, doubled);
    QFETCH(double, finer);
    QCOMPARE(doubled.size(), own.size() * 2);
    QCOMPARE(doubled.devicePixelRatio(), 2.0);
    QCOMPARE(doubled.format(), QImage::Format_RGB32);
    // Averaged over its 2 x 2 squares the picture is about the one at its own size (the grain of
    // the walls and boards differs, being as fine as the pixels); one merely enlarged would hold
    // one colour in every square.
    const QImage averaged = doubled.scaled(own.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double difference = 0;
    int mixed = 0;
    for (int y = 0; y < own.height(); ++y) {
        for (int x = 0; x < own.width(); ++x) {
            const QRgb a = own.pixel(x, y);
            const QRgb b = averaged.pixel(x, y);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            const QRgb c = doubled.pixel(2 * x, 2 * y);
            mixed += c != doubled.pixel(2 * x + 1, 2 * y) || c != doubled.pixel(2 * x, 2 * y + 1)
                || c != doubled.pixel(2 * x + 1, 2 * y + 1);
        }
    }
    const int pixels = own.width() * own.height();
    QVERIFY2(difference / (3.0 * pixels) < 4, qPrintable(QString::number(difference / (3.0 * pixels))));
    QVERIFY2(mixed >= finer * pixels, qPrintable(QString::number(double(mixed) / pixels)));
}

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
