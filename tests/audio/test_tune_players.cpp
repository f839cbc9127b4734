// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fakes.h"
#include "tune_players.h"

#include <QtTest>

#include <algorithm>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

constexpr int TuneLength = 100;
constexpr int GameOverFrames = 233;

// A tune whose position the test moves on by hand. Every operation goes into the log
// that both players share, under the player's name.
class FakePlayer : public TunePlayer {
public:
    FakePlayer(std::string name, std::vector<std::string>& log)
        : name(std::move(name))
        , log(log)
    {
    }

    std::string failOpen; // the error text Open raises, if any
    std::string path;
    int position = 0;
    bool playing = false;

    void Open(const std::string& file) override
    {
        log.push_back(name + " open " + file);
        if (!failOpen.empty())
            throw Error(failOpen);
        path = file;
        opened = true;
        position = 0;
        playing = false;
    }
    void Play() override
    {
        check();
        log.push_back(name + " play");
        if (position >= TuneLength)
            position = 0;
        playing = true;
    }
    void Stop() override
    {
        check();
        log.push_back(name + " stop");
        playing = false;
    }
    bool IsStopped() const override
    {
        log.push_back(name + " mode");
        return !playing || position >= TuneLength;
    }
    void Close() override
    {
        log.push_back(name + " close");
        opened = false;
        playing = false;
    }
    bool Opened() const override { return opened; }

    /** The tune plays on by `steps`, no further than its end. */
    void advance(int steps)
    {
        if (playing)
            position = std::min(TuneLength, position + steps);
    }
    void playToTheEnd() { advance(TuneLength); }

private:
    void check() const
    {
        if (!opened)
            throw Error("MCI ﾃﾞﾊﾞｲｽがありません");
    }

    std::string name;
    std::vector<std::string>& log;
    bool opened = false;
};

// The game wired to the real tune switching over two fake players.
struct MusicRig {
    std::vector<std::string> log;
    std::vector<std::string> recordsLog;
    FakePlayer* mp = new FakePlayer("mp", log);
    FakePlayer* mp2 = new FakePlayer("mp2", log);
    TunePlayers tunes { std::unique_ptr<TunePlayer>(mp), std::unique_ptr<TunePlayer>(mp2) };
    FakeView view;
    FakeRecords records { recordsLog };
    FixedClock clock;
    Game game { view, tunes, records, clock };
    QStringList boxes;
    bool titlePlayingAtTheBox = false;

    void startUp()
    {
        tunes.openAll("/games/zorvat/", [this](const QString& text) {
            boxes << text;
            titlePlayingAtTheBox = mp->playing;
        });
        game.GameState = gsTitle;
    }
    void idle(int calls = 1)
    {
        for (int i = 0; i < calls; ++i) {
            bool done = true;
            game.AppIdle(done);
        }
    }
    void deal()
    {
        game.Button1Click();
        game.Timer1Timer();
    }
    void answerRight()
    {
        deal();
        game.Board = game.Answer;
        game.Button2Click();
        QCOMPARE(game.GameState, gsCorrect);
    }
    void answerWrong()
    {
        deal();
        game.Button2Click();
        QCOMPARE(game.GameState, gsOver);
    }
    // The game-over screen runs its course and the end of the game follows.
    void sitOutTheGameOver()
    {
        idle(GameOverFrames);
        QCOMPARE(game.GameState, gsTitle);
    }
    /** The log from now on, without the stopped checks. */
    std::vector<std::string> switches(std::size_t from = 0) const
    {
        std::vector<std::string> out;
        for (std::size_t i = from; i < log.size(); ++i)
            if (log[i].find(" mode") == std::string::npos)
                out.push_back(log[i]);
        return out;
    }
};

using Log = std::vector<std::string>;

} // namespace

class TestTunePlayers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUpPlaysTheTitleTuneAndOpensTheQuestionTuneWithoutPlayingIt();
    void aWholeGameSwitchesToTheQuestionTuneAndBack_data();
    void aWholeGameSwitchesToTheQuestionTuneAndBack();
    void eachTuneGoesOnWhereTheLastSwitchCutItOffOrStartsOverIfItHadEnded_data();
    void eachTuneGoesOnWhereTheLastSwitchCutItOffOrStartsOverIfItHadEnded();
    void aTuneThatEndsOnItsOwnScreenStartsOverFromItsBeginning_data();
    void aTuneThatEndsOnItsOwnScreenStartsOverFromItsBeginning();
    void noTuneIsAskedAnythingOnTheCorrectOrGameOverScreens_data();
    void noTuneIsAskedAnythingOnTheCorrectOrGameOverScreens();
    void aFailedOpenShowsOneBoxAndTheGameStaysPlayable_data();
    void aFailedOpenShowsOneBoxAndTheGameStaysPlayable();
    void shutdownClosesBothTunes();
};

void TestTunePlayers::startUpPlaysTheTitleTuneAndOpensTheQuestionTuneWithoutPlayingIt()
{
    MusicRig rig;
    rig.startUp();
    QCOMPARE(rig.log, (Log { "mp open /games/zorvat/title.mid", "mp play", "mp2 open /games/zorvat/open.mid" }));
    QVERIFY(rig.boxes.isEmpty());
    QVERIFY(rig.mp->playing);
    QVERIFY(!rig.mp2->playing);
}

void TestTunePlayers::aWholeGameSwitchesToTheQuestionTuneAndBack_data()
{
    QTest::addColumn<bool>("rankingAccepted");
    QTest::newRow("ranking declined") << false;
    QTest::newRow("ranking accepted") << true;
}

void TestTunePlayers::aWholeGameSwitchesToTheQuestionTuneAndBack()
{
    QFETCH(bool, rankingAccepted);
    MusicRig rig;
    rig.records.answerYes = rankingAccepted;
    rig.startUp();
    const std::size_t started = rig.log.size();

    rig.idle(5);
    rig.game.N1Click();
    rig.idle(5);
    rig.answerRight();
    rig.idle(5);
    rig.answerWrong();
    rig.sitOutTheGameOver();
    rig.idle(5);

    QCOMPARE(rig.switches(started), (Log { "mp stop", "mp2 play", "mp2 stop", "mp play" }));
    // The switch back comes after the records are done with.
    QCOMPARE(rig.recordsLog.back(), std::string("hiscchk"));
    QVERIFY(rig.mp->playing);
    QVERIFY(!rig.mp2->playing);
}

void TestTunePlayers::eachTuneGoesOnWhereTheLastSwitchCutItOffOrStartsOverIfItHadEnded_data()
{
    QTest::addColumn<int>("titleBeforeTheGame");
    QTest::addColumn<int>("questionInTheFirstGame");
    QTest::addColumn<int>("titleAfterTheGame");
    QTest::addColumn<int>("questionInTheSecondGame");
    QTest::newRow("both cut off mid-tune") << 40 << 30 << 40 << 30;
    QTest::newRow("question tune played to its end") << 40 << TuneLength << 40 << 0;
}

void TestTunePlayers::eachTuneGoesOnWhereTheLastSwitchCutItOffOrStartsOverIfItHadEnded()
{
    QFETCH(int, titleBeforeTheGame);
    QFETCH(int, questionInTheFirstGame);
    QFETCH(int, titleAfterTheGame);
    QFETCH(int, questionInTheSecondGame);
    MusicRig rig;
    rig.startUp();
    rig.mp->advance(titleBeforeTheGame);
    rig.game.N1Click();
    QCOMPARE(rig.mp2->position, 0);
    rig.answerWrong();
    // It plays on behind the game-over screen, which never restarts it.
    rig.mp2->advance(questionInTheFirstGame);
    rig.sitOutTheGameOver();
    QVERIFY(rig.mp->playing);
    QCOMPARE(rig.mp->position, titleAfterTheGame);

    rig.idle(3);
    rig.game.N1Click();
    QVERIFY(rig.mp2->playing);
    QCOMPARE(rig.mp2->position, questionInTheSecondGame);
}

void TestTunePlayers::aTuneThatEndsOnItsOwnScreenStartsOverFromItsBeginning_data()
{
    QTest::addColumn<bool>("inPlay");
    QTest::newRow("title tune on the title screen") << false;
    QTest::newRow("question tune during a question") << true;
}

void TestTunePlayers::aTuneThatEndsOnItsOwnScreenStartsOverFromItsBeginning()
{
    QFETCH(bool, inPlay);
    MusicRig rig;
    rig.startUp();
    if (inPlay) {
        rig.game.N1Click();
        rig.deal();
    }
    FakePlayer& tune = inPlay ? *rig.mp2 : *rig.mp;
    tune.playToTheEnd();
    const std::size_t ended = rig.log.size();

    rig.idle();
    QCOMPARE(rig.switches(ended), Log { (inPlay ? "mp2" : "mp") + std::string(" play") });
    QCOMPARE(tune.position, 0);
    QVERIFY(tune.playing);
}

void TestTunePlayers::noTuneIsAskedAnythingOnTheCorrectOrGameOverScreens_data()
{
    QTest::addColumn<bool>("correct");
    QTest::newRow("correct-answer screen") << true;
    QTest::newRow("game-over screen") << false;
}

void TestTunePlayers::noTuneIsAskedAnythingOnTheCorrectOrGameOverScreens()
{
    QFETCH(bool, correct);
    MusicRig rig;
    rig.startUp();
    rig.game.N1Click();
    if (correct)
        rig.answerRight();
    else
        rig.answerWrong();
    rig.mp2->playToTheEnd();
    const std::size_t onTheScreen = rig.log.size();

    rig.idle(GameOverFrames - 1);
    QCOMPARE(rig.log.size(), onTheScreen);
    QVERIFY(rig.mp2->IsStopped());
    QVERIFY(!rig.mp->playing);

    if (correct) {
        // Silent until the next question, which starts it over.
        rig.deal();
        rig.idle();
        QVERIFY(rig.mp2->playing);
        QCOMPARE(rig.mp2->position, 0);
    }
}

void TestTunePlayers::aFailedOpenShowsOneBoxAndTheGameStaysPlayable_data()
{
    QTest::addColumn<QString>("titleFails");
    QTest::addColumn<QString>("questionFails");
    QTest::addColumn<QStringList>("boxes");

    const QString noOutput = "ｻｳﾝﾄﾞ出力を開けません";
    QTest::newRow("no audio output") << noOutput << noOutput << QStringList { noOutput + "." };
    QTest::newRow("title tune missing") << "title.mid が見つかりません"
                                        << "" << QStringList { "title.mid が見つかりません." };
    QTest::newRow("question tune missing")
        << ""
        << "open.mid が見つかりません" << QStringList { "open.mid が見つかりません." };
    QTest::newRow("both tunes open") << ""
                                     << "" << QStringList {};
}

void TestTunePlayers::aFailedOpenShowsOneBoxAndTheGameStaysPlayable()
{
    QFETCH(QString, titleFails);
    QFETCH(QString, questionFails);
    QFETCH(QStringList, boxes);
    MusicRig rig;
    rig.mp->failOpen = titleFails.toStdString();
    rig.mp2->failOpen = questionFails.toStdString();
    rig.startUp();
    QCOMPARE(rig.boxes, boxes);
    // With the question tune missing, the title tune is already heard behind the box.
    if (titleFails.isEmpty() && !questionFails.isEmpty())
        QVERIFY(rig.titlePlayingAtTheBox);

    // A whole game and the start of the next, none of it stopped by the missing tunes.
    rig.idle(5);
    rig.game.N1Click();
    rig.idle(5);
    rig.answerRight();
    rig.answerWrong();
    rig.sitOutTheGameOver();
    rig.idle(5);
    rig.game.N1Click();
    QCOMPARE(rig.game.GameState, gsPlay);
    QCOMPARE(rig.mp2->playing, questionFails.isEmpty());
    QVERIFY(!rig.mp->playing);
}

void TestTunePlayers::shutdownClosesBothTunes()
{
    MusicRig rig;
    rig.startUp();
    const std::size_t running = rig.log.size();
    rig.tunes.closeAll();
    QCOMPARE(rig.switches(running), (Log { "mp close", "mp2 close" }));
    QVERIFY(!rig.mp->Opened());
    QVERIFY(!rig.mp2->Opened());
}

QTEST_GUILESS_MAIN(TestTunePlayers)
#include "test_tune_players.moc"
