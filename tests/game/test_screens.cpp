// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fakes.h"

#include <QtTest>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

// The zoom step that one idle call drew, read off cell 25 (the last cell of a frame).
int drawnStep(GameRig& rig)
{
    rig.view.cells[25] = {};
    rig.idle();
    return rig.view.cells[25].look == FakeView::Look::Zoom ? rig.view.cells[25].value : -1;
}

// Plays a game into the game-over screen: one correct answer, then a wrong one.
void loseAfterOnePoint(GameRig& rig)
{
    rig.game.N1Click();
    rig.openAndHide();
    rig.rebuild();
    rig.game.Button2Click();
    rig.openAndHide();
    rig.game.Button2Click();
    QCOMPARE(rig.game.GameState, gsOver);
}

constexpr int Cycle = 233;

} // namespace

class TestScreens : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void titleZoomCyclesThroughAllStepsThenHolds();
    void titleFramePaintsThePaletteAndAllCellsInReadingOrder();
    void playStepRepaintsPaletteAndBoardUnlessShowing();
    void secondCorrectAnswerRestartsTheZoom();
    void gameOverRunsItsCourseThenAsksOnce();
    void gameOverYesWritesThePageBeforeCountingTheGame();
    void gameOverNoCountsTheGameWithoutAPage();
    void idleCallsWhileTheQuestionIsOpenLeaveTheGridStill();
    void newGameDuringTheGameOverZoomAbandonsTheGame();
    void failedPageIsReportedThenTheGameIsCountedAndSaved();
    void failedSaveSkipsTheReturnToTheTitle();
    void failedTuneSwitchLeavesTheTitleAfterYesAndTheStillGameOverAfterNo_data();
    void failedTuneSwitchLeavesTheTitleAfterYesAndTheStillGameOverAfterNo();
    void firstTitleFrameAfterAGameUsesStepHundredThenStartsOver();
    void titleTuneIsRestartedOnlyOnTheTitleScreen();
    void questionTuneIsRestartedOnlyInPlay();
    void idleAlwaysAsksToBeCalledAgain();
};

void TestScreens::titleZoomCyclesThroughAllStepsThenHolds()
{
    GameRig rig;
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (int step = 0; step < 32; ++step)
            QCOMPARE(drawnStep(rig), step);
        for (int hold = 0; hold < 201; ++hold)
            QCOMPARE(drawnStep(rig), 32);
    }
    QCOMPARE(drawnStep(rig), 0);
}

void TestScreens::titleFramePaintsThePaletteAndAllCellsInReadingOrder()
{
    GameRig rig;
    rig.idle();
    QCOMPARE(rig.view.log.size(), std::size_t(26));
    QCOMPARE(rig.view.log.front(), std::string("paint_sel"));
    for (int cell = 1; cell <= CellCount; ++cell) {
        QCOMPARE(rig.view.log[static_cast<std::size_t>(cell)], "zoom " + std::to_string(cell) + " 0");
        QCOMPARE(rig.view.cells[cell].picture, Picture::im2);
    }
}

void TestScreens::playStepRepaintsPaletteAndBoardUnlessShowing()
{
    GameRig rig;
    rig.game.N1Click();
    rig.game.Button1Click();
    rig.view.log.clear();
    rig.idle();
    QCOMPARE(rig.view.log, std::vector<std::string> { "paint_sel" });

    rig.game.Timer1Timer();
    rig.game.PaintBox6Click(box(4));
    rig.view.log.clear();
    rig.idle();
    QCOMPARE(rig.view.log.size(), std::size_t(26));
    QCOMPARE(rig.view.log[4], std::string("kind 4 1"));
    QCOMPARE(rig.view.log[5], std::string("empty 5"));
}

void TestScreens::secondCorrectAnswerRestartsTheZoom()
{
    GameRig rig;
    rig.game.N1Click();
    rig.openAndHide();
    rig.rebuild();
    rig.game.Button2Click();
    rig.idle(100);
    QCOMPARE(rig.view.cells[1].picture, Picture::im3);
    rig.openAndHide();
    rig.rebuild();
    rig.game.Button2Click();
    QCOMPARE(drawnStep(rig), 0);
    QCOMPARE(drawnStep(rig), 1);
}

void TestScreens::gameOverRunsItsCourseThenAsksOnce()
{
    GameRig rig;
    loseAfterOnePoint(rig);
    rig.idle(Cycle - 1);
    QCOMPARE(rig.records.hiscchkCalls, 0);
    QCOMPARE(rig.view.cells[7].picture, Picture::im_over);
    QCOMPARE(rig.view.cells[7].value, 32);
    rig.idle();
    QCOMPARE(rig.records.lastMessage, std::string("スコア：1点をインターネットランキング申請しますか？"));
    QCOMPARE(rig.records.hiscchkCalls, 1);
    QCOMPARE(rig.game.GameState, gsTitle);
    QVERIFY(!rig.view.button1);
    QVERIFY(!rig.view.button2);
}

void TestScreens::gameOverYesWritesThePageBeforeCountingTheGame()
{
    GameRig rig;
    loseAfterOnePoint(rig);
    rig.records.answerYes = true;
    rig.music.log.clear();
    rig.idle(Cycle);
    const std::vector<std::string> expected { "confirm", "page", "open page", "hiscchk", "stop question",
        "play title" };
    QCOMPARE(rig.music.log, expected);
    QCOMPARE(rig.records.lastScore, 1);
}

void TestScreens::gameOverNoCountsTheGameWithoutAPage()
{
    GameRig rig;
    rig.game.N1Click();
    rig.openAndHide();
    rig.game.Button2Click(); // score 0
    rig.music.log.clear();
    rig.idle(Cycle);
    const std::vector<std::string> expected { "confirm", "hiscchk", "stop question", "play title" };
    QCOMPARE(rig.music.log, expected);
    QCOMPARE(rig.records.lastMessage, std::string("スコア：0点をインターネットランキング申請しますか？"));
}

void TestScreens::idleCallsWhileTheQuestionIsOpenLeaveTheGridStill()
{
    GameRig rig;
    loseAfterOnePoint(rig);
    rig.records.whileAsking = [&rig] {
        rig.view.log.clear();
        rig.idle(50); // the question's own loop keeps calling the idle step
        QVERIFY(rig.view.log.empty());
    };
    rig.idle(Cycle);
    QCOMPARE(std::count(rig.music.log.begin(), rig.music.log.end(), std::string("confirm")), 1);
    QCOMPARE(rig.records.hiscchkCalls, 1);
}

void TestScreens::newGameDuringTheGameOverZoomAbandonsTheGame()
{
    GameRig rig;
    loseAfterOnePoint(rig);
    rig.idle(Cycle - 1);
    rig.game.N1Click();
    rig.idle(2 * Cycle);
    QCOMPARE(rig.records.hiscchkCalls, 0);
    QCOMPARE(std::count(rig.music.log.begin(), rig.music.log.end(), std::string("confirm")), 0);
    QCOMPARE(rig.game.GameState, gsPlay);
}

void TestScreens::failedPageIsReportedThenTheGameIsCountedAndSaved()
{
    GameRig rig;
    loseAfterOnePoint(rig);
    rig.records.answerYes = true;
    rig.records.failPage = true;
    rig.idle(Cycle - 1);
    rig.music.log.clear();
    // The step that failed goes to the shell's error box, behind which nothing moves.
    QVERIFY_THROWS_EXCEPTION(Error, rig.idle());
    QCOMPARE(rig.game.GameState, gsOver);
    QCOMPARE(rig.records.hiscchkCalls, 0);
    // The next step ends the game as after a page written, without opening the page.
    rig.view.log.clear();
    rig.idle();
    QVERIFY(rig.view.log.empty());
    QCOMPARE(rig.game.GameState, gsTitle);
    QCOMPARE(rig.game.AnimStep, 100);
    rig.idle(10);
    const std::vector<std::string> expected { "confirm", "page", "hiscchk", "stop question", "play title" };
    QCOMPARE(rig.music.log, expected);
    QCOMPARE(rig.records.hiscchkCalls, 1);
    QCOMPARE(rig.records.lastScore, 1);
}

void TestScreens::failedSaveSkipsTheReturnToTheTitle()
{
    GameRig rig;
    loseAfterOnePoint(rig);
    rig.records.failSave = true;
    rig.idle(Cycle - 1);
    QVERIFY_THROWS_EXCEPTION(Error, rig.idle());
    QCOMPARE(rig.game.GameState, gsOver);
    QCOMPARE(rig.records.hiscchkCalls, 1);
    rig.game.N1Click(); // the way on
    QCOMPARE(rig.game.GameState, gsPlay);
}

void TestScreens::failedTuneSwitchLeavesTheTitleAfterYesAndTheStillGameOverAfterNo_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<GameState>("screen");
    QTest::newRow("はい: back on the title") << true << gsTitle;
    QTest::newRow("いいえ: the game-over screen stays") << false << gsOver;
}

void TestScreens::failedTuneSwitchLeavesTheTitleAfterYesAndTheStillGameOverAfterNo()
{
    QFETCH(bool, yes);
    QFETCH(GameState, screen);
    GameRig rig;
    loseAfterOnePoint(rig);
    rig.records.answerYes = yes;
    rig.music.failStop = true;
    rig.idle(Cycle - 1);
    QVERIFY_THROWS_EXCEPTION(Error, rig.idle());
    QCOMPARE(rig.game.GameState, screen);
    QCOMPARE(rig.records.hiscchkCalls, 1);
}

void TestScreens::firstTitleFrameAfterAGameUsesStepHundredThenStartsOver()
{
    GameRig rig;
    loseAfterOnePoint(rig);
    rig.idle(Cycle);
    QCOMPARE(rig.game.GameState, gsTitle);
    QCOMPARE(drawnStep(rig), 100);
    QCOMPARE(rig.view.cells[25].picture, Picture::im2);
    QCOMPARE(drawnStep(rig), 0);
    QCOMPARE(drawnStep(rig), 1);
}

void TestScreens::titleTuneIsRestartedOnlyOnTheTitleScreen()
{
    GameRig rig;
    rig.music.titleStopped = true;
    rig.idle();
    QCOMPARE(rig.music.log, std::vector<std::string> { "play title" });

    loseAfterOnePoint(rig);
    rig.music.log.clear();
    rig.music.questionStopped = true; // the question tune ended during the game-over zoom
    rig.idle(Cycle - 1);
    QVERIFY(rig.music.log.empty());
}

void TestScreens::questionTuneIsRestartedOnlyInPlay()
{
    GameRig rig;
    rig.game.N1Click();
    rig.openAndHide();
    rig.music.questionStopped = true;
    rig.music.log.clear();
    rig.idle();
    QCOMPARE(rig.music.log, std::vector<std::string> { "play question" });

    rig.rebuild();
    rig.game.Button2Click();
    rig.music.questionStopped = true;
    rig.music.log.clear();
    rig.idle(300);
    QVERIFY(rig.music.log.empty()); // silent on the correct-answer screen
    rig.game.Button1Click();
    rig.idle();
    QCOMPARE(rig.music.log, std::vector<std::string> { "play question" });
}

void TestScreens::idleAlwaysAsksToBeCalledAgain()
{
    GameRig rig;
    for (GameState state : { gsTitle, gsPlay, gsCorrect, gsOver, 0, 7 }) {
        rig.game.GameState = state;
        bool done = true;
        rig.game.AppIdle(done);
        QVERIFY(!done);
    }
    rig.view.log.clear();
    rig.game.GameState = 7;
    rig.idle();
    QVERIFY(rig.view.log.empty());
}

QTEST_APPLESS_MAIN(TestScreens)
#include "test_screens.moc"
