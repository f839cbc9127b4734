// SPDX-License-Identifier: GPL-3.0-or-later
#include "backdrop.h"
#include "main_window.h"
#include "paint_box.h"
#include "pictures.h"
#include "records_window.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

using namespace zorvat;

namespace {

QImage plain(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    out.setDevicePixelRatio(1);
    return out;
}

} // namespace

// On a scaled screen every picture comes from the drawings made for its density: at twice
// the density from those at twice the pixels, shown pixel for pixel over the same areas; at
// one and a half times from those at their own size. The test runs at both (QT_SCALE_FACTOR).
class TestScaledPainting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void boxesBackdropAndRecordsShowTheScreensOwnPictures();
};

void TestScaledPainting::boxesBackdropAndRecordsShowTheScreensOwnPictures()
{
    MainWindow window(Pictures::instance());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const qreal ratio = window.devicePixelRatio();
    QVERIFY(ratio == 2 || ratio == 1.5);
    const PictureSet& p = ratio == 2 ? Pictures::doubled() : Pictures::instance();
    const int k = int(p.im1.devicePixelRatio());
    // A rectangle of a picture, given in the picture's own size, grown `grow` times.
    const auto piece = [k](const QImage& picture, QRect r, int grow = 1) {
        const QImage cut = plain(picture.copy(QRect(r.topLeft() * k, r.size() * k)));
        return cut.scaled(cut.size() * grow, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    };

    window.DrawCellKind(1, 4);
    window.paint_sel();
    window.DrawCellEmpty(7);
    window.DrawCellZoom(13, Picture::im3, 32);
    window.DrawCellZoom(14, Picture::im3, 16);
    const std::pair<const char*, QImage> boxes[] = { { "PaintBox6", piece(p.im1, { 96, 0, 32, 32 }) },
        { "PaintBox5", piece(p.im1, { 128, 0, 32, 32 }) }, { "PaintBox12", piece(p.im_del, { 0, 0, 32, 32 }) },
        { "PaintBox18", piece(p.im3, { 64, 64, 32, 32 }) }, { "PaintBox19", piece(p.im3, { 96, 64, 16, 16 }, 2) } };
    for (const auto& [name, expected] : boxes) {
        auto* box = window.findChild<PaintBox*>(QString::fromLatin1(name));
        QVERIFY2(plain(box->canvas()) == expected, name);
        QVERIFY2(ratio != 2 || plain(box->grab().toImage()) == expected, name);
    }
    // A screen of one and a half times grows the ordinary backdrop in the painter.
    if (ratio == 2) {
        auto* backdrop = window.findChild<Backdrop*>(QStringLiteral("Image1"));
        QCOMPARE(plain(backdrop->grab().toImage()), Backdrop::stretched(p.backdrop, QSize(834, 658)));
    }
    TForm2 records(Pictures::instance());
    const QImage background = records.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().toImage();
    QCOMPARE(background.devicePixelRatio(), p.recordsBackground.devicePixelRatio());
    QCOMPARE(plain(background), plain(p.recordsBackground));
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    TestScaledPainting test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_scaled_painting.moc"
