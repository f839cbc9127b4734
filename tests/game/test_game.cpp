// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fakes.h"
#include "question_table.h"
#include "random.h"

#include <QtTest>

#include <set>

using namespace zorvat;
using namespace zorvat::testing;

class TestGame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reseedTakesTheMillisecondsOfTheUtcDay();
    void seedZeroDrawsTheKnownAttempts();
    void seedZeroDealOfTenTilesDropsTheEighthAttempt();
    void seedZeroSingleTileLandsInCellOne();
    void questionTableGrowsTilesThenKinds_data();
    void questionTableGrowsTilesThenKinds();
    void everyDealPlacesExactlyItsTilesWithinItsKinds();

    void newGameSelectsKindOneAndReadsZeroPoints();
    void newGameKeepsTheLastQuestionTextUntilOpen();
    void openShowsThenTheTimerHides();
    void correctAnswerScoresAndReadiesTheNextQuestion();
    void wrongAnswerEndsTheGame_data();
    void wrongAnswerEndsTheGame();
    void cellClicksAreIgnoredWhileThePatternShows();
    void paletteSelectsWhileThePatternShows();
    void clickOnAnOccupiedCellAlwaysEmptiesIt();
    void clickBeforeAnyKindWasSelectedLeavesTheCellEmpty();
    void newGameWhileShowingStopsTheHideAndClearsTheGrid();
    void clickQueuedDuringSelectionPlacesThePreviousKind();
    void strayBoxNamesAreIgnored();
};

void TestGame::reseedTakesTheMillisecondsOfTheUtcDay()
{
    FixedClock clock;
    clock.now = { 12, 34, 56, 789 };
    Random rng;
    rng.Reseed(clock);
    QCOMPARE(rng.Seed, 45'296'789u);
    clock.now = { 23, 59, 59, 999 };
    rng.Reseed(clock);
    QCOMPARE(rng.Seed, 86'399'999u);
}

void TestGame::seedZeroDrawsTheKnownAttempts()
{
    Random rng;
    const std::pair<unsigned, unsigned> expected[] = { { 1, 1 }, { 22, 2 }, { 7, 4 }, { 8, 1 }, { 10, 3 }, { 3, 3 },
        { 2, 5 }, { 2, 2 }, { 23, 2 }, { 20, 2 }, { 18, 5 } };
    for (const auto& [cell, kind] : expected) {
        QCOMPARE(rng.RandomBelow(25) + 1, cell);
        QCOMPARE(rng.RandomBelow(5) + 1, kind);
    }
}

void TestGame::seedZeroDealOfTenTilesDropsTheEighthAttempt()
{
    GameRig rig;
    rig.game.ShowCount = 10;
    rig.game.KindCount = 5;
    rig.game.Open_proc();

    std::array<std::int32_t, CellCount + 1> expected {};
    expected[1] = 1;
    expected[22] = 2;
    expected[7] = 4;
    expected[8] = 1;
    expected[10] = 3;
    expected[3] = 3;
    expected[2] = 5; // the eighth attempt, (2, 2), finds cell 2 taken
    expected[23] = 2;
    expected[20] = 2;
    expected[18] = 5;
    QCOMPARE(rig.game.Answer, expected);

    Random replay; // eleven attempts, two draws each
    for (int i = 0; i < 22; ++i)
        replay.RandomBelow(25);
    QCOMPARE(rig.game.rng.Seed, replay.Seed);
    QCOMPARE(rig.view.countLog("kind "), 10);
}

void TestGame::seedZeroSingleTileLandsInCellOne()
{
    GameRig rig;
    rig.game.ShowCount = 1;
    rig.game.KindCount = 1;
    rig.game.Open_proc();
    QCOMPARE(rig.game.Answer[1], 1);
    QCOMPARE(std::count(rig.game.Answer.begin() + 1, rig.game.Answer.end(), 0), 24);
}

void TestGame::questionTableGrowsTilesThenKinds_data()
{
    QTest::addColumn<int>("question");
    QTest::addColumn<int>("tiles");
    QTest::addColumn<int>("kinds");
    const auto row = [](int q, int t, int k) { QTest::addRow("q%d", q) << q << t << k; };
    for (int q = 1; q <= 24; ++q)
        row(q, (q - 1) % 5 + 1, std::min((q - 1) / 5 + 1, 5));
    const int blocks[][2]
        = { { 3, 6 }, { 3, 7 }, { 3, 8 }, { 4, 6 }, { 4, 7 }, { 4, 8 }, { 5, 6 }, { 5, 7 }, { 5, 8 }, { 5, 9 } };
    for (int b = 0; b < 10; ++b)
        for (int i = 0; i < 3; ++i)
            row(25 + 3 * b + i, blocks[b][1], blocks[b][0]);
    for (int q = 55; q <= 60; ++q)
        row(q, 10, 5);
}

void TestGame::questionTableGrowsTilesThenKinds()
{
    QFETCH(int, question);
    QFETCH(int, tiles);
    QFETCH(int, kinds);
    // Questions 1..24 build on the ones before, so walk a new game up to this one.
    std::int32_t show = 0;
    std::int32_t kind = 1;
    for (int q = 1; q <= question; ++q)
        QuestionTable(q, show, kind);
    QCOMPARE(show, tiles);
    QCOMPARE(kind, kinds);
}

void TestGame::everyDealPlacesExactlyItsTilesWithinItsKinds()
{
    GameRig rig;
    for (int ms = 0; ms < 86'400'000; ms += 7919 * 13) {
        rig.clock.now = { ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000 };
        for (int tiles = 1; tiles <= 10; ++tiles) {
            const int kinds = tiles % 5 + 1;
            rig.game.ShowCount = tiles;
            rig.game.KindCount = kinds;
            rig.view.log.clear();
            rig.game.Open_proc();
            int placed = 0;
            for (int cell = 1; cell <= CellCount; ++cell) {
                const int k = rig.game.Answer[cell];
                QVERIFY(k >= 0 && k <= kinds);
                if (k != 0) {
                    ++placed;
                    QCOMPARE(rig.view.cells[cell].look, FakeView::Look::Kind);
                    QCOMPARE(rig.view.cells[cell].value, k);
                }
            }
            QCOMPARE(placed, tiles);
            QCOMPARE(rig.view.countLog("kind "), tiles);
        }
    }
}

void TestGame::newGameSelectsKindOneAndReadsZeroPoints()
{
    GameRig rig;
    rig.game.N1Click();
    QCOMPARE(rig.game.GameState, gsPlay);
    QCOMPARE(rig.game.SelKind, 1);
    QCOMPARE(rig.view.frames[1], Red);
    for (int k = 2; k <= 5; ++k)
        QCOMPARE(rig.view.frames[k], White);
    QCOMPARE(rig.view.pn_sc, std::string("0点"));
    QVERIFY(rig.view.button1);
    QVERIFY(!rig.view.button2);
    QCOMPARE(rig.game.KindCount, 1);
    QCOMPARE(rig.game.QuestionNo, 0);
    QVERIFY(!rig.view.timerRunning);
    // The frames are set, then repainted, then the faces drawn over them.
    const auto& log = rig.view.log;
    const auto pending = std::find(log.begin(), log.end(), "pending");
    QVERIFY(pending != log.end());
    QCOMPARE(std::count(log.begin(), pending, std::string("frame 1")), 2);
    QCOMPARE(*(pending + 1), std::string("paint_sel"));
}

void TestGame::newGameKeepsTheLastQuestionTextUntilOpen()
{
    GameRig rig;
    rig.game.N1Click();
    for (int q = 0; q < 7; ++q)
        rig.game.Button1Click();
    QCOMPARE(rig.view.pn_mon, std::string("7問目"));
    rig.game.N1Click();
    QCOMPARE(rig.view.pn_mon, std::string("7問目"));
    rig.game.Button1Click();
    QCOMPARE(rig.view.pn_mon, std::string("1問目"));
}

void TestGame::openShowsThenTheTimerHides()
{
    GameRig rig;
    rig.game.N1Click();
    rig.game.Button1Click();
    QVERIFY(rig.game.Showing);
    QVERIFY(rig.view.timerRunning);
    QCOMPARE(rig.view.timerInterval, 3000);
    QVERIFY(!rig.view.button1);
    QVERIFY(!rig.view.button2);
    QCOMPARE(rig.game.ShowCount, 1);

    rig.game.Timer1Timer();
    QVERIFY(!rig.game.Showing);
    QVERIFY(!rig.view.timerRunning);
    QVERIFY(!rig.view.button1);
    QVERIFY(rig.view.button2);
    for (int cell = 1; cell <= CellCount; ++cell)
        QCOMPARE(rig.view.cells[cell].look, FakeView::Look::Hidden);
}

void TestGame::correctAnswerScoresAndReadiesTheNextQuestion()
{
    GameRig rig;
    rig.game.N1Click();
    for (int q = 1; q <= 3; ++q) {
        rig.clock.now.millisecond = q * 37;
        rig.openAndHide();
        rig.rebuild();
        rig.game.Button2Click();
        QCOMPARE(rig.game.GameState, gsCorrect);
        QCOMPARE(rig.game.Score, q);
        QCOMPARE(rig.view.pn_sc, std::to_string(q)); // no "点" after a correct answer
        QVERIFY(rig.view.button1);
        QVERIFY(!rig.view.button2);
        QCOMPARE(rig.game.AnimStep, 0);
        rig.idle(5); // the zoom runs on
        QCOMPARE(rig.game.AnimStep, 5);
    }
    QCOMPARE(rig.view.pn_mon, std::string("3問目"));
}

void TestGame::wrongAnswerEndsTheGame_data()
{
    QTest::addColumn<QString>("mistake");
    QTest::newRow("untouched grid") << "none";
    QTest::newRow("tile in a cell that was not dealt") << "extra";
    QTest::newRow("missing tile") << "missing";
    QTest::newRow("wrong kind") << "kind";
}

void TestGame::wrongAnswerEndsTheGame()
{
    QFETCH(QString, mistake);
    GameRig rig;
    rig.game.N1Click();
    for (int q = 0; q < 7; ++q) { // question 7: two tiles of kinds 1..2
        rig.openAndHide();
        rig.rebuild();
        rig.game.Button2Click();
    }
    rig.clock.now.second = 9;
    rig.openAndHide();
    if (mistake != "none")
        rig.rebuild();
    int dealt = 1;
    while (rig.game.Answer[dealt] == 0)
        ++dealt;
    int free = 1;
    while (rig.game.Answer[free] != 0)
        ++free;
    if (mistake == "extra")
        rig.game.PaintBox6Click(box(free));
    if (mistake == "missing")
        rig.game.PaintBox6Click(box(dealt));
    if (mistake == "kind") {
        rig.game.PaintBox6Click(box(dealt));
        rig.game.PaintBox1Click(rig.game.Answer[dealt] == 1 ? "PaintBox2" : "PaintBox1");
        rig.game.PaintBox6Click(box(dealt));
    }
    const auto boardBefore = rig.game.Board;
    rig.game.Button2Click();
    QCOMPARE(rig.game.GameState, gsOver);
    QCOMPARE(rig.game.Score, 7);
    QCOMPARE(rig.view.pn_sc, std::string("7"));
    QVERIFY(!rig.view.button1);
    QVERIFY(!rig.view.button2);
    QCOMPARE(rig.game.Board, boardBefore);
    QCOMPARE(rig.game.QuestionNo, 8);
}

void TestGame::cellClicksAreIgnoredWhileThePatternShows()
{
    GameRig rig;
    rig.game.N1Click();
    rig.game.Button1Click();
    rig.game.PaintBox6Click(box(13));
    QCOMPARE(rig.game.Board[13], 0);
    QCOMPARE(rig.view.countLog("empty"), 0);
}

void TestGame::paletteSelectsWhileThePatternShows()
{
    GameRig rig;
    rig.game.N1Click();
    rig.game.Button1Click();
    rig.game.PaintBox1Click("PaintBox4");
    QCOMPARE(rig.game.SelKind, 4);
    QCOMPARE(rig.view.frames[4], Red);
    QCOMPARE(rig.view.frames[1], White);
    QVERIFY(rig.game.Showing);
}

void TestGame::clickOnAnOccupiedCellAlwaysEmptiesIt()
{
    GameRig rig;
    rig.game.N1Click();
    rig.openAndHide();
    rig.game.PaintBox6Click(box(5));
    QCOMPARE(rig.game.Board[5], 1);
    rig.game.PaintBox1Click("PaintBox3");
    rig.game.PaintBox6Click(box(5));
    QCOMPARE(rig.game.Board[5], 0);
    QCOMPARE(rig.view.cells[5].look, FakeView::Look::Empty);
    rig.game.PaintBox6Click(box(5));
    QCOMPARE(rig.game.Board[5], 3);
    QCOMPARE(rig.view.cells[5].value, 3);
}

void TestGame::clickBeforeAnyKindWasSelectedLeavesTheCellEmpty()
{
    GameRig rig;
    rig.game.PaintBox6Click(box(1));
    QCOMPARE(rig.game.Board[1], 0);
    QCOMPARE(rig.view.cells[1].look, FakeView::Look::Empty);
    QCOMPARE(rig.view.countLog("kind"), 0);
}

void TestGame::newGameWhileShowingStopsTheHideAndClearsTheGrid()
{
    GameRig rig;
    rig.game.N1Click();
    rig.game.Button1Click();
    QVERIFY(rig.view.timerRunning);
    rig.game.N1Click();
    QVERIFY(!rig.view.timerRunning);
    QVERIFY(!rig.game.Showing);
    for (int cell = 1; cell <= CellCount; ++cell)
        QCOMPARE(rig.view.cells[cell].look, FakeView::Look::Hidden);
    QVERIFY(rig.view.button1);
    QVERIFY(!rig.view.button2);
}

void TestGame::clickQueuedDuringSelectionPlacesThePreviousKind()
{
    GameRig rig;
    rig.game.N1Click();
    rig.openAndHide();
    rig.view.onProcessPending = [&rig] {
        rig.view.onProcessPending = nullptr;
        rig.game.PaintBox6Click(box(9));
    };
    rig.game.PaintBox1Click("PaintBox5");
    QCOMPARE(rig.game.Board[9], 1);
    QCOMPARE(rig.game.SelKind, 5);
}

void TestGame::strayBoxNamesAreIgnored()
{
    GameRig rig;
    rig.game.N1Click();
    rig.openAndHide();
    for (const char* name : { "PaintBox0", "PaintBox6x", "PaintBox31", "PaintBox", "Panel9", "PaintBox-1" })
        rig.game.PaintBox6Click(name);
    for (const char* name : { "PaintBox6", "PaintBox0", "Box1" })
        rig.game.PaintBox1Click(name);
    QCOMPARE(rig.game.SelKind, 1);
    QCOMPARE(std::count(rig.game.Board.begin(), rig.game.Board.end(), 0), CellCount + 1);
}

QTEST_APPLESS_MAIN(TestGame)
#include "test_game.moc"
