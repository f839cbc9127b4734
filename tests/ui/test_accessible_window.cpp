// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessible_widgets.h"
#include "main_window.h"
#include "paint_box.h"
#include "pictures.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>

using namespace zorvat;

namespace {

QAccessibleInterface* heard(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

} // namespace

// What a screen reader is told of the main window's own widgets, driven through GameView as the
// game drives it.
class TestAccessibleWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installAccessibleWidgets(); }
    void init() { m_window = std::make_unique<MainWindow>(Pictures::instance()); }
    void cleanup() { m_window.reset(); }

    void cellsAreNamedByPlaceAndWhatTheyShow_data();
    void cellsAreNamedByPlaceAndWhatTheyShow();
    void pressingABoxActsAsAClickOnIt_data();
    void pressingABoxActsAsAClickOnIt();

private:
    template <typename Widget> Widget* find(const QString& name) const { return m_window->findChild<Widget*>(name); }

    std::unique_ptr<MainWindow> m_window;
};

void TestAccessibleWindow::cellsAreNamedByPlaceAndWhatTheyShow_data()
{
    QTest::addColumn<QString>("draw");
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("detail");
    QTest::addColumn<QString>("name");
    QTest::newRow("a face") << "face" << 7 << 4 << "2行2列、緑の顔";
    QTest::newRow("each face its own") << "face" << 1 << 5 << "1行1列、水色の顔";
    QTest::newRow("a kind beyond the palette shows the blank tile") << "face" << 3 << 9 << "1行3列、空き";
    QTest::newRow("the blank tile") << "empty" << 25 << 0 << "5行5列、空き";
    QTest::newRow("the hiding green") << "hidden" << 11 << 0 << "3行1列、隠れている";
    QTest::newRow("the title zoom") << "zoom" << 5 << int(Picture::im2) << "1行5列、タイトルの絵";
    QTest::newRow("the correct-answer zoom") << "zoom" << 21 << int(Picture::im3) << "5行1列、正解の絵";
    QTest::newRow("the game-over zoom") << "zoom" << 13 << int(Picture::im_over) << "3行3列、ゲームオーバーの絵";
}

void TestAccessibleWindow::cellsAreNamedByPlaceAndWhatTheyShow()
{
    QFETCH(QString, draw);
    QFETCH(int, cell);
    QFETCH(int, detail);
    QFETCH(QString, name);
    // Drawn over another content first, so that the name must change.
    m_window->DrawCellKind(cell, 1);
    if (draw == QLatin1String("face"))
        m_window->DrawCellKind(cell, detail);
    else if (draw == QLatin1String("empty"))
        m_window->DrawCellEmpty(cell);
    else if (draw == QLatin1String("hidden"))
        m_window->FillCellHidden(cell);
    else
        m_window->DrawCellZoom(cell, Picture(detail), 16);
    QAccessibleInterface* box = heard(find<PaintBox>(QStringLiteral("PaintBox%1").arg(cell + 5)));
    QCOMPARE(box->role(), QAccessible::Cell);
    QCOMPARE(box->text(QAccessible::Name), name);
}

void TestAccessibleWindow::pressingABoxActsAsAClickOnIt_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("palette");
    QTest::newRow("a palette face") << "PaintBox3" << true;
    QTest::newRow("a cell") << "PaintBox17" << false;
}

void TestAccessibleWindow::pressingABoxActsAsAClickOnIt()
{
    QFETCH(QString, box);
    QFETCH(bool, palette);
    QSignalSpy faces(m_window.get(), &MainWindow::PaintBox1Clicked);
    QSignalSpy cells(m_window.get(), &MainWindow::PaintBox6Clicked);
    QAccessibleActionInterface* actions = heard(find<PaintBox>(box))->actionInterface();
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QSignalSpy& pressed = palette ? faces : cells;
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.first().first().toString(), box);
    QCOMPARE((palette ? cells : faces).count(), 0);
}

QTEST_MAIN(TestAccessibleWindow)
#include "test_accessible_window.moc"
