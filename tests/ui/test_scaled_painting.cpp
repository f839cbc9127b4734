// SPDX-License-Identifier: GPL-3.0-or-later
#include "backdrop.h"
#include "main_window.h"
#include "paint_box.h"
#include "pictures.h"

#include <QApplication>
#include <QtTest>

using namespace zorvat;

namespace {

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

} // namespace

// On a screen scaled by two the whole window doubles, and every picture in it is grown by
// pixel replication, never smoothed.
class TestScaledPainting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyBoxPixelBecomesATwoByTwoBlock();
    void theBackdropStaysCrisp();
};

void TestScaledPainting::everyBoxPixelBecomesATwoByTwoBlock()
{
    MainWindow window(Pictures::instance());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.devicePixelRatio(), 2.0);
    window.DrawCellZoom(13, Picture::im3, 11);
    window.DrawCellKind(1, 4);
    window.paint_sel();
    // Cells 13 and 1, palette box 5.
    for (const char* name : { "PaintBox18", "PaintBox6", "PaintBox5" }) {
        auto* box = window.findChild<PaintBox*>(QString::fromLatin1(name));
        const QImage shown = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(grownByTwo(box->canvas(), shown), qPrintable(box->objectName()));
    }
}

void TestScaledPainting::theBackdropStaysCrisp()
{
    MainWindow window(Pictures::instance());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* backdrop = window.findChild<Backdrop*>(QStringLiteral("Image1"));
    QVERIFY(backdrop);
    const QImage shown = backdrop->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(grownByTwo(Backdrop::stretched(Pictures::instance().backdrop, QSize(417, 329)), shown));
}

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    TestScaledPainting test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_scaled_painting.moc"
