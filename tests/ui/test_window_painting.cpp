// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fakes.h"
#include "backdrop.h"
#include "bevel_panel.h"
#include "main_window.h"
#include "paint_box.h"
#include "pictures.h"

#include <QtTest>

#include <set>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

// The real main window driven by the real game, with fake tunes and records.
struct WindowRig {
    MainWindow window { Pictures::instance() };
    FakeMusic music;
    std::vector<std::string> log;
    FakeRecords records { log };
    FixedClock clock;
    Game game { window, music, records, clock };

    WindowRig()
    {
        game.startUp();
        window.show();
    }

    PaintBox* cellBox(int cell) const { return window.findChild<PaintBox*>(QString::fromStdString(box(cell))); }
    PaintBox* paletteBox(int kind) const { return window.findChild<PaintBox*>(QStringLiteral("PaintBox%1").arg(kind)); }
    QWidget* clientArea() const { return window.findChild<QWidget*>(QStringLiteral("client")); }

    /** What the screen shows of a box, read from a grab of the whole window. */
    QImage shownBox(const QImage& grab, PaintBox* box) const
    {
        return grab.copy(QRect(box->mapTo(&window, QPoint(0, 0)), QSize(32, 32)));
    }
    QImage grab()
    {
        QCoreApplication::processEvents();
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

QImage piece(int kind)
{
    return Pictures::instance().im1.copy((kind - 1) * 32, 0, 32, 32);
}

bool solid(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour)
                return false;
    return true;
}

} // namespace

class TestWindowPainting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void afterTheHideAGrabOfTheWindowShowsAll25CellsSolidGreen();
    void paletteShowsTheFiveFacesInKindOrderWhicheverIsSelected_data();
    void paletteShowsTheFiveFacesInKindOrderWhicheverIsSelected();
    void aToggledCellShowsTheSelectedFaceThenTheBlankTile();
    void paintMapDrawsEachCellFromTheBoard();
    void backdropShowsAroundThePanelsStretchedByPixelReplication();
    void stretchingRepeatsEveryPictureColumnAndRowTwoOrThreeTimes();
};

void TestWindowPainting::afterTheHideAGrabOfTheWindowShowsAll25CellsSolidGreen()
{
    WindowRig rig;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    rig.game.N1Click();
    rig.game.Button1Click();
    QImage grab = rig.grab();
    int faces = 0;
    for (int cell = 1; cell <= 25; ++cell)
        faces += solid(rig.shownBox(grab, rig.cellBox(cell)), qRgb(0, 128, 0)) ? 0 : 1;
    QCOMPARE(faces, rig.game.ShowCount);

    rig.game.Timer1Timer();
    grab = rig.grab();
    for (int cell = 1; cell <= 25; ++cell)
        QVERIFY2(solid(rig.shownBox(grab, rig.cellBox(cell)), qRgb(0, 128, 0)), qPrintable(QString::number(cell)));

    // Repainting the empty board changes nothing that can be seen.
    rig.game.Paint_map();
    QCOMPARE(rig.grab(), grab);
}

void TestWindowPainting::paletteShowsTheFiveFacesInKindOrderWhicheverIsSelected_data()
{
    QTest::addColumn<int>("selected");
    for (int k = 1; k <= 5; ++k)
        QTest::addRow("kind %d selected", k) << k;
}

void TestWindowPainting::paletteShowsTheFiveFacesInKindOrderWhicheverIsSelected()
{
    QFETCH(int, selected);
    WindowRig rig;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    rig.game.N1Click();
    rig.game.Sel_proc(selected);
    const QImage grab = rig.grab();
    for (int k = 1; k <= 5; ++k) {
        QCOMPARE(rig.paletteBox(k)->canvas(), piece(k));
        QCOMPARE(rig.shownBox(grab, rig.paletteBox(k)), piece(k));
        // The rim below and right of the box shows the frame's colour.
        const QPoint rim = rig.paletteBox(k)->mapTo(&rig.window, QPoint(33, 33));
        QCOMPARE(grab.pixel(rim), k == selected ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
    }
}

void TestWindowPainting::aToggledCellShowsTheSelectedFaceThenTheBlankTile()
{
    WindowRig rig;
    rig.game.N1Click();
    rig.game.Button1Click();
    rig.game.Timer1Timer();
    rig.game.Sel_proc(3);
    rig.game.PaintBox6Click("PaintBox12");
    QCOMPARE(rig.cellBox(7)->canvas(), piece(3));
    rig.game.PaintBox6Click("PaintBox12");
    QCOMPARE(rig.cellBox(7)->canvas(), Pictures::instance().im_del);
}

void TestWindowPainting::paintMapDrawsEachCellFromTheBoard()
{
    WindowRig rig;
    for (int cell = 1; cell <= 25; ++cell)
        rig.game.Board[cell] = cell % 6; // every kind, and empty cells between them
    rig.game.Paint_map();
    for (int cell = 1; cell <= 25; ++cell) {
        const int kind = cell % 6;
        QCOMPARE(rig.cellBox(cell)->canvas(), kind == 0 ? Pictures::instance().im_del : piece(kind));
    }
}

void TestWindowPainting::backdropShowsAroundThePanelsStretchedByPixelReplication()
{
    WindowRig rig;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    const QImage stretched = Backdrop::stretched(Pictures::instance().backdrop, QSize(417, 329));
    const QImage grab = rig.grab();
    // Points of the client area that no panel or button covers.
    for (const QPoint p : { QPoint(0, 0), QPoint(5, 270), QPoint(240, 10), QPoint(330, 120), QPoint(414, 150),
             QPoint(414, 276), QPoint(233, 200) }) {
        const QPoint inWindow = rig.clientArea()->mapTo(&rig.window, p);
        QCOMPARE(grab.pixel(inWindow), stretched.pixel(p));
    }
}

void TestWindowPainting::stretchingRepeatsEveryPictureColumnAndRowTwoOrThreeTimes()
{
    // A picture whose pixels name their own column and row.
    QImage picture(160, 160, QImage::Format_RGB32);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 160; ++x)
            picture.setPixel(x, y, qRgb(x, y, 9));
    const QImage stretched = Backdrop::stretched(picture, QSize(417, 329));
    QCOMPARE(stretched.size(), QSize(417, 329));
    std::vector<int> columns(160);
    std::vector<int> rows(160);
    for (int x = 0; x < 417; ++x)
        ++columns[std::size_t(qRed(stretched.pixel(x, 0)))];
    for (int y = 0; y < 329; ++y)
        ++rows[std::size_t(qGreen(stretched.pixel(0, y)))];
    for (int i = 0; i < 160; ++i) {
        QVERIFY(columns[std::size_t(i)] == 2 || columns[std::size_t(i)] == 3);
        QVERIFY(rows[std::size_t(i)] == 2 || rows[std::size_t(i)] == 3);
    }
    // No pixel is a blend: each is a pixel of the picture, in order.
    for (int y = 0; y < 329; ++y) {
        for (int x = 0; x < 417; ++x) {
            const QRgb c = stretched.pixel(x, y);
            QCOMPARE(qBlue(c), 9);
            QCOMPARE(qRed(c), qRed(stretched.pixel(x, 0)));
            QCOMPARE(qGreen(c), qGreen(stretched.pixel(0, y)));
        }
    }
}

QTEST_MAIN(TestWindowPainting)
#include "test_window_painting.moc"
