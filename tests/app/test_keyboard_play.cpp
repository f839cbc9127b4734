// SPDX-License-Identifier: GPL-3.0-or-later
#include "bevel_panel.h"
#include "paint_box.h"
#include "shell_rig.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

const QColor FrameWhite(255, 255, 255);
const QColor FrameRed(255, 0, 0);
const QColor CursorYellow(255, 255, 0);

// The whole program around fakes, its window shown and holding the keyboard.
struct KeyRig : ShellRig {
    KeyRig()
    {
        window.show();
        window.activateWindow();
    }

    bool ready() { return QTest::qWaitForWindowActive(&window); }
    void press(Qt::Key key) { QTest::keyClick(&window, key); }
    /** Presses arrow keys spelt as L, R, U and D. */
    void arrows(const QString& keys)
    {
        for (const QChar c : keys) {
            const Qt::Key key = c == 'L' ? Qt::Key_Left
                : c == 'R'               ? Qt::Key_Right
                : c == 'U'               ? Qt::Key_Up
                                         : Qt::Key_Down;
            press(key);
        }
    }
    QColor cellFrame(int cell) const
    {
        return find<BevelPanel>(qPrintable(QStringLiteral("Panel%1").arg(cell + 8)))->colour();
    }
    QColor paletteFrame(int kind) const
    {
        return find<BevelPanel>(qPrintable(QStringLiteral("Panel%1").arg(kind + 2)))->colour();
    }
    /** The cell whose frame shows the cursor, 0 when none does, -1 when more than one does. */
    int cursorCell() const
    {
        int found = 0;
        for (int cell = 1; cell <= CellCount; ++cell) {
            const QColor frame = cellFrame(cell);
            if (frame == CursorYellow)
                found = found == 0 ? cell : -1;
            else if (frame != FrameWhite)
                return -1;
        }
        return found;
    }
    /** A new game from the menu, its first question dealt and hidden by the timer. */
    void dealAndHide()
    {
        find<QAction>("N1")->trigger();
        game.Button1Click();
        game.Timer1Timer();
    }
};

} // namespace

class TestKeyboardPlay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void digitsSelectTheirKindAsClickingThePaletteDoesInEveryPhase_data();
    void digitsSelectTheirKindAsClickingThePaletteDoesInEveryPhase();
    void arrowsFirstShowTheCursorOnCellOneThenMoveItAndStopAtTheEdges_data();
    void arrowsFirstShowTheCursorOnCellOneThenMoveItAndStopAtTheEdges();
    void aNewGameTakesTheCursorOutOfSightAndBackToCellOne();
    void aClickedCellTakesTheCursorWithoutShowingItToMousePlayers();
    void spaceTogglesTheCellUnderTheCursorAsAClickDoes();
    void spaceIsIgnoredWhileThePatternShowsOrNoCursorIsSeen();
    void enterPressesWhicheverOfOpenAndOkIsEnabled();
    void theWindowsKeysWinOverAFocusedButton();
    void theMenusKeysKeepTheirMeaning();
    void theFocusRestsOnTheGridAndFollowsTheCursorWhileItShows_data();
    void theFocusRestsOnTheGridAndFollowsTheCursorWhileItShows();
    void theGridShowsTheFocusWithADottedYellowLine();
};

void TestKeyboardPlay::digitsSelectTheirKindAsClickingThePaletteDoesInEveryPhase_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("whileShowing");
    for (int k = 1; k <= KindMax; ++k) {
        QTest::addRow("%d after the hide", k) << k << false;
        QTest::addRow("%d while the pattern shows", k) << k << true;
    }
}

void TestKeyboardPlay::digitsSelectTheirKindAsClickingThePaletteDoesInEveryPhase()
{
    QFETCH(int, kind);
    QFETCH(bool, whileShowing);
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.game.N1Click();
    rig.game.Button1Click();
    if (!whileShowing)
        rig.game.Timer1Timer();
    QCOMPARE(rig.game.Showing, whileShowing);

    rig.press(Qt::Key(Qt::Key_0 + kind));
    QCOMPARE(rig.game.SelKind, kind);
    for (int k = 1; k <= KindMax; ++k)
        QCOMPARE(rig.paletteFrame(k), k == kind ? FrameRed : FrameWhite);
    QCOMPARE(rig.find<PaintBox>(qPrintable(QStringLiteral("PaintBox%1").arg(kind)))->canvas(),
        Pictures::instance().im1.copy((kind - 1) * PieceSize, 0, PieceSize, PieceSize));
    QCOMPARE(rig.game.Showing, whileShowing);
    // Digits beyond the palette mean nothing.
    rig.press(Qt::Key_6);
    rig.press(Qt::Key_0);
    QCOMPARE(rig.game.SelKind, kind);
}

void TestKeyboardPlay::arrowsFirstShowTheCursorOnCellOneThenMoveItAndStopAtTheEdges_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("cell");
    QTest::newRow("none: out of sight") << "" << 0;
    QTest::newRow("the first key only shows it") << "R" << 1;
    QTest::newRow("up and left stop at the top-left corner") << "RULUL" << 1;
    QTest::newRow("right stops at the right edge") << "RRRRRRRR" << 5;
    QTest::newRow("down stops at the bottom edge") << "DDDDDDDD" << 21;
    QTest::newRow("bottom-right corner") << "DRRRRRRDDDDDD" << 25;
    QTest::newRow("back from the corner") << "DRRRRRRDDDDDDLU" << 19;
    QTest::newRow("a row does not wrap into the next") << "RRRRRRR" << 5;
    QTest::newRow("middle") << "RRRDD" << 13;
}

void TestKeyboardPlay::arrowsFirstShowTheCursorOnCellOneThenMoveItAndStopAtTheEdges()
{
    QFETCH(QString, keys);
    QFETCH(int, cell);
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.game.N1Click();
    rig.arrows(keys);
    QCOMPARE(rig.cursorCell(), cell);
}

void TestKeyboardPlay::aNewGameTakesTheCursorOutOfSightAndBackToCellOne()
{
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.arrows(QStringLiteral("RRDD"));
    QCOMPARE(rig.cursorCell(), 12);
    rig.find<QAction>("N1")->trigger();
    QCOMPARE(rig.cursorCell(), 0);
    rig.arrows(QStringLiteral("D"));
    QCOMPARE(rig.cursorCell(), 1);
}

void TestKeyboardPlay::aClickedCellTakesTheCursorWithoutShowingItToMousePlayers()
{
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.dealAndHide();
    click(rig.cell(8));
    click(rig.cell(8));
    QCOMPARE(rig.cursorCell(), 0);
    // The first arrow key shows it where the click left it.
    rig.arrows(QStringLiteral("R"));
    QCOMPARE(rig.cursorCell(), 8);
    click(rig.cell(24));
    QCOMPARE(rig.cursorCell(), 24);
    rig.arrows(QStringLiteral("U"));
    QCOMPARE(rig.cursorCell(), 19);
}

void TestKeyboardPlay::spaceTogglesTheCellUnderTheCursorAsAClickDoes()
{
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.dealAndHide();
    rig.press(Qt::Key_2);
    rig.arrows(QStringLiteral("RRD"));
    QCOMPARE(rig.cursorCell(), 7);
    rig.press(Qt::Key_Space);
    QCOMPARE(rig.game.Board[7], 2);
    QCOMPARE(rig.cell(7)->canvas(), Pictures::instance().im1.copy(PieceSize, 0, PieceSize, PieceSize));
    // A second press empties it, whatever kind is selected then.
    rig.press(Qt::Key_4);
    rig.press(Qt::Key_Space);
    QCOMPARE(rig.game.Board[7], 0);
    QCOMPARE(rig.cell(7)->canvas(), Pictures::instance().im_del);
    for (int cell = 1; cell <= CellCount; ++cell)
        QCOMPARE(rig.game.Board[cell], 0);
}

void TestKeyboardPlay::spaceIsIgnoredWhileThePatternShowsOrNoCursorIsSeen()
{
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.game.N1Click();
    rig.game.Button1Click();
    QVERIFY(rig.game.Showing);
    const auto dealtBoard = rig.game.Board;
    rig.arrows(QStringLiteral("RR"));
    rig.press(Qt::Key_Space);
    QCOMPARE(rig.game.Board, dealtBoard);
    QVERIFY(rig.game.Showing);

    // A new game puts the cursor out of sight: Space has no cell to toggle.
    rig.dealAndHide();
    rig.press(Qt::Key_Space);
    for (int cell = 1; cell <= CellCount; ++cell)
        QCOMPARE(rig.game.Board[cell], 0);
}

void TestKeyboardPlay::enterPressesWhicheverOfOpenAndOkIsEnabled()
{
    KeyRig rig;
    QVERIFY(rig.ready());
    // On the title screen neither is enabled.
    rig.press(Qt::Key_Return);
    QCOMPARE(rig.game.GameState, gsTitle);
    QCOMPARE(rig.game.QuestionNo, 0);

    rig.game.N1Click();
    rig.press(Qt::Key_Return);
    QCOMPARE(rig.game.QuestionNo, 1);
    QVERIFY(rig.game.Showing);
    // While the pattern shows, neither is enabled.
    rig.press(Qt::Key_Enter);
    QCOMPARE(rig.game.QuestionNo, 1);
    QCOMPARE(rig.game.GameState, gsPlay);

    rig.game.Timer1Timer();
    for (int cell = 1; cell <= CellCount; ++cell) {
        if (rig.game.Answer[cell] != 0) {
            rig.game.PaintBox1Click("PaintBox" + std::to_string(rig.game.Answer[cell]));
            rig.game.PaintBox6Click(box(cell));
        }
    }
    // The keypad's Enter presses "OK" as Return does.
    rig.press(Qt::Key_Enter);
    QCOMPARE(rig.game.GameState, gsCorrect);
    QCOMPARE(rig.game.Score, 1);
    rig.press(Qt::Key_Return);
    QCOMPARE(rig.game.QuestionNo, 2);
}

void TestKeyboardPlay::theWindowsKeysWinOverAFocusedButton()
{
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.game.N1Click();
    auto* open = rig.find<QPushButton>("Button1");
    rig.arrows(QStringLiteral("RR"));
    QCOMPARE(rig.cursorCell(), 2);
    open->setFocus();
    QVERIFY(open->hasFocus());
    rig.press(Qt::Key_Space);
    QCOMPARE(rig.game.QuestionNo, 0);
    QCOMPARE(rig.game.Board[2], 1);
    // An arrow key takes the keyboard back to the cursor's cell.
    rig.arrows(QStringLiteral("R"));
    QVERIFY(rig.cell(3)->hasFocus());
}

void TestKeyboardPlay::theMenusKeysKeepTheirMeaning()
{
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.press(Qt::Key_F2);
    QCOMPARE(rig.game.GameState, gsPlay);
    QVERIFY(rig.find<QPushButton>("Button1")->isEnabled());
    rig.press(Qt::Key_F2);
    QVERIFY(rig.window.isVisible());
    QCOMPARE(rig.cursorCell(), 0);
}

void TestKeyboardPlay::theFocusRestsOnTheGridAndFollowsTheCursorWhileItShows_data()
{
    // L R U D: arrow keys; N: F2; T: Tab; O and C: clicks on "Open" and on cell 9.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("focus");
    QTest::newRow("from the start") << ""
                                    << "Panel1";
    QTest::newRow("a click on Open leaves it on the grid") << "O"
                                                           << "Panel1";
    QTest::newRow("a click on a cell leaves it there while the cursor is out of sight") << "C"
                                                                                        << "Panel1";
    QTest::newRow("the first arrow key shows the cursor on cell 1") << "D"
                                                                    << "PaintBox6";
    QTest::newRow("each step takes it along") << "DRRD"
                                              << "PaintBox13";
    QTest::newRow("a click moves the cursor and it along") << "DC"
                                                           << "PaintBox14";
    QTest::newRow("a new game takes it back to the grid") << "DRRN"
                                                          << "Panel1";
    QTest::newRow("Tab goes from the cursor's cell to Open") << "DRT"
                                                             << "Button1";
    QTest::newRow("and on round to the cursor's cell") << "DRTT"
                                                       << "PaintBox7";
    QTest::newRow("an arrow key brings it back from a button") << "DTR"
                                                               << "PaintBox7";
    QTest::newRow("the grid is Tab's stop while the cursor is out of sight") << "TT"
                                                                             << "Panel1";
}

void TestKeyboardPlay::theFocusRestsOnTheGridAndFollowsTheCursorWhileItShows()
{
    QFETCH(QString, steps);
    QFETCH(QString, focus);
    KeyRig rig;
    QVERIFY(rig.ready());
    rig.game.N1Click();
    for (const QChar step : steps) {
        if (step == 'N')
            rig.press(Qt::Key_F2);
        else if (step == 'T')
            rig.press(Qt::Key_Tab);
        else if (step == 'O')
            click(rig.find<QPushButton>("Button1"));
        else if (step == 'C')
            click(rig.cell(9));
        else
            rig.arrows(step);
    }
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
}

void TestKeyboardPlay::theGridShowsTheFocusWithADottedYellowLine()
{
    KeyRig rig;
    QVERIFY(rig.ready());
    auto* grid = rig.find<BevelPanel>("Panel1");
    const auto yellowOnTheLine = [grid] {
        const QImage image = grid->grab().toImage();
        int yellow = 0;
        for (int x = 2; x < image.width() - 2; ++x)
            yellow += image.pixelColor(x, 2) == CursorYellow;
        return yellow;
    };
    QVERIFY(grid->hasFocus());
    const int dots = yellowOnTheLine();
    QVERIFY2(dots > grid->width() / 3 && dots < grid->width() * 2 / 3, qPrintable(QString::number(dots)));
    rig.arrows(QStringLiteral("D"));
    QCOMPARE(yellowOnTheLine(), 0);
}

QTEST_MAIN(TestKeyboardPlay)
#include "test_keyboard_play.moc"
