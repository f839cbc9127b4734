// SPDX-License-Identifier: GPL-3.0-or-later
#include "backdrop.h"
#include "main_window.h"
#include "paint_box.h"
#include "pictures.h"
#include "records_window.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

#include <functional>

using namespace zorvat;

namespace {

using Draw = std::function<void(MainWindow&)>;
using PictureOf = QImage PictureSet::*;

// Each pixel of `small` must cover a 2 x 2 block of `big`, unchanged.
bool grownByTwo(const QImage& small, const QImage& big)
{
    if (big.size() != small.size() * 2)
        return false;
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            if (big.pixel(x, y) != small.pixel(x / 2, y / 2))
                return false;
    return true;
}

QImage plain(const QImage& image)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    out.setDevicePixelRatio(1);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Draw)
Q_DECLARE_METATYPE(PictureOf)

// On a scaled screen every picture comes from the drawings made for its density: at twice
// the density from those at twice the pixels, shown pixel for pixel over the same area; at
// one and a half times from those at their own size. The test runs at both (QT_SCALE_FACTOR).
class TestScaledPainting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void boxesShowTheirPieceOfTheScreensPictures_data();
    void boxesShowTheirPieceOfTheScreensPictures();
    void backdropAndRecordsBackgroundComeFromTheScreensPictures();

private:
    MainWindow m_window { Pictures::instance() };
    qreal m_ratio = 1;
    const PictureSet* m_expected = nullptr;
};

void TestScaledPainting::initTestCase()
{
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    m_ratio = m_window.devicePixelRatio();
    QVERIFY(m_ratio == 2 || m_ratio == 1.5);
    m_expected = m_ratio == 2 ? &Pictures::doubled() : &Pictures::instance();
}

void TestScaledPainting::boxesShowTheirPieceOfTheScreensPictures_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<PictureOf>("picture");
    QTest::addColumn<QRect>("source"); // in the picture's own size
    QTest::addColumn<bool>("doubled"); // every source pixel covers two box pixels each way
    QTest::newRow("face") << "PaintBox6" << Draw([](MainWindow& w) { w.DrawCellKind(1, 4); }) << &PictureSet::im1
                          << QRect(96, 0, 32, 32) << false;
    QTest::newRow("palette face 5") << "PaintBox5" << Draw([](MainWindow& w) { w.paint_sel(); }) << &PictureSet::im1
                                    << QRect(128, 0, 32, 32) << false;
    QTest::newRow("blank cell") << "PaintBox12" << Draw([](MainWindow& w) { w.DrawCellEmpty(7); })
                                << &PictureSet::im_del << QRect(0, 0, 32, 32) << false;
    QTest::newRow("whole zoom piece") << "PaintBox18"
                                      << Draw([](MainWindow& w) { w.DrawCellZoom(13, Picture::im3, 32); })
                                      << &PictureSet::im3 << QRect(64, 64, 32, 32) << false;
    QTest::newRow("half-way zoom") << "PaintBox18" << Draw([](MainWindow& w) { w.DrawCellZoom(13, Picture::im3, 16); })
                                   << &PictureSet::im3 << QRect(64, 64, 16, 16) << true;
}

void TestScaledPainting::boxesShowTheirPieceOfTheScreensPictures()
{
    QFETCH(QString, box);
    QFETCH(Draw, draw);
    QFETCH(PictureOf, picture);
    QFETCH(QRect, source);
    QFETCH(bool, doubled);
    draw(m_window);
    const QImage& from = m_expected->*picture;
    const int k = int(from.devicePixelRatio());
    const QImage expected = plain(from.copy(QRect(source.topLeft() * k, source.size() * k)));
    auto* paintBox = m_window.findChild<PaintBox*>(box);
    const QImage canvas = plain(paintBox->canvas());
    QVERIFY(doubled ? grownByTwo(expected, canvas) : canvas == expected);
    if (m_ratio == 2)
        QCOMPARE(plain(paintBox->grab().toImage()), canvas);
}

void TestScaledPainting::backdropAndRecordsBackgroundComeFromTheScreensPictures()
{
    TForm2 records(Pictures::instance());
    const QImage shown = records.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().toImage();
    QCOMPARE(shown.devicePixelRatio(), m_expected->recordsBackground.devicePixelRatio());
    QCOMPARE(plain(shown), plain(m_expected->recordsBackground));
    // A screen of one and a half times grows the ordinary backdrop as the painter will.
    if (m_ratio == 2) {
        auto* backdrop = m_window.findChild<Backdrop*>(QStringLiteral("Image1"));
        QCOMPARE(plain(backdrop->grab().toImage()), Backdrop::stretched(m_expected->backdrop, QSize(834, 658)));
    }
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
