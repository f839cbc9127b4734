// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop.h"
#include "file_bytes.h"
#include "game_run.h"
#include "game_screen.h"
#include "pictures.h"
#include "private_display.h"
#include "reference_look.h"
#include "screen_reading.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

using namespace zorvat;
using namespace zorvat::e2e;
using zorvat::testing::fileBytes;

namespace {

// A player's file with 41 games on it; a score of 0 enters nowhere.
const QByteArray PlayersFile
    = "[hs_sc]\r\nsc1=5\r\nsc2=4\r\nsc3=3\r\nsc4=2\r\nsc5=1\r\n"
      "[name]\r\nname1=Rv-nq1\r\nname2=Rv-nq2\r\nname3=Rv-nq3\r\nname4=Rv-nq4\r\nname5=Rv-nq5\r\n"
      "[pass]\r\ntp=41\r\n";

} // namespace

// The real game, ended by the signals of a logout, "kill" and Ctrl+C at different moments: it
// ends as "終了" ends it, with code 0, and leaves its settings file whole.
class StopSignalsEndToEnd : public QObject {
    Q_OBJECT

public:
    StopSignalsEndToEnd()
        : m_reader(Pictures::instance())
    {
    }

private Q_SLOTS:
    void aStopDuringStartUpLeavesTheFileAsItWas();
    void aStopDuringAGameLeavesItUncounted();
    void aStopWhileTheRankingQuestionIsOpenSavesTheFinishedGameFirst();

private:
    bool on(const QString& titlePattern) { return m_desk.window(titlePattern).has_value(); }
    bool focusedOn(const QString& titlePattern)
    {
        return QRegularExpression(titlePattern).match(m_desk.focusedTitle()).hasMatch();
    }
    void startToTheTitle(GameRun& run);
    void startAGame();
    Grid grid() { return m_reader.grid(m_desk.shot(), m_client); }
    void stop(GameRun& run, int signal);

    Desktop m_desk;
    ScreenReader m_reader;
    QPoint m_client;
};

// Starts the game on the player's file and dismisses the warning of a machine without sound.
void StopSignalsEndToEnd::startToTheTitle(GameRun& run)
{
    run.setSettings(PlayersFile);
    QVERIFY2(run.start(QStringLiteral(ZORVAT_E2E_GAME), qEnvironmentVariable("DISPLAY")), qPrintable(run.error()));
    const QDeadlineTimer deadline(StartUpMs);
    std::optional<QRect> main;
    while (!(main = m_desk.window(MainTitle)) && !deadline.hasExpired()) {
        QVERIFY2(run.running(), "the game ended while starting");
        if (on(ErrorBoxTitle)) {
            if (!focusedOn(ErrorBoxTitle))
                m_desk.click(m_desk.window(ErrorBoxTitle)->topLeft() + QPoint(3, 3));
            m_desk.key(QStringLiteral("Return"));
        }
        QTest::qWait(300);
    }
    QVERIFY2(main, "the main window did not show");
    m_client = QPoint(main->left(), main->bottom() + 1 - ClientHeight);
}

void StopSignalsEndToEnd::startAGame()
{
    QVERIFY2(m_desk.click(m_client + place::idleSpot), qPrintable(m_desk.error()));
    AWAIT(focusedOn(MainTitle), "the main window to take the keyboard");
    QVERIFY2(m_desk.key(QStringLiteral("F2")), qPrintable(m_desk.error()));
    const Grid empty {};
    AWAIT(grid() == empty, "the empty grid of a new game");
}

void StopSignalsEndToEnd::stop(GameRun& run, int signal)
{
    QVERIFY2(run.sendSignal(signal), "the game was not there to be stopped");
    int exitCode = -1;
    QVERIFY2(run.waitForExit(ScreenMs, exitCode), "the signal did not end the game");
    QCOMPARE(exitCode, 0);
}

void StopSignalsEndToEnd::aStopDuringStartUpLeavesTheFileAsItWas()
{
    GameRun run;
    run.setSettings(PlayersFile);
    QVERIFY2(run.start(QStringLiteral(ZORVAT_E2E_GAME), qEnvironmentVariable("DISPLAY")), qPrintable(run.error()));
    // The sound warning comes up in the middle of start-up; a machine with sound shows the title.
    QTRY_VERIFY_WITH_TIMEOUT(on(ErrorBoxTitle) || on(MainTitle), StartUpMs);
    stop(run, SIGTERM);
    QCOMPARE(fileBytes(run.settingsFile()), PlayersFile);
}

void StopSignalsEndToEnd::aStopDuringAGameLeavesItUncounted()
{
    GameRun run;
    startToTheTitle(run);
    startAGame();
    if (QTest::currentTestFailed())
        return;
    stop(run, SIGHUP);
    QCOMPARE(fileBytes(run.settingsFile()), PlayersFile);
}

void StopSignalsEndToEnd::aStopWhileTheRankingQuestionIsOpenSavesTheFinishedGameFirst()
{
    GameRun run;
    startToTheTitle(run);
    startAGame();
    if (QTest::currentTestFailed())
        return;
    // "Open", wait for the pattern to show and go, then "OK" on the empty grid: a score of 0.
    QVERIFY2(m_desk.click(m_client + place::Button1.center()), qPrintable(m_desk.error()));
    const Grid empty {};
    AWAIT(grid() != empty, "the dealt pattern");
    AWAIT(grid() == empty, "the pattern to be hidden");
    QVERIFY2(m_desk.click(m_client + place::Button2.center()), qPrintable(m_desk.error()));
    AWAIT(on(QuestionTitle), "the ranking question");
    // The question closes as if answered "いいえ": the finished game is counted, then the game ends.
    stop(run, SIGINT);
    QCOMPARE(fileBytes(run.settingsFile()), QByteArray(PlayersFile).replace("tp=41", "tp=42"));
}

int main(int argc, char* argv[])
{
    return onPrivateDisplay(argc, argv, QStringLiteral(ZORVAT_E2E_ARTEFACTS), WindowManagement::None, [&] {
        StopSignalsEndToEnd test;
        return QTest::qExec(&test, argc, argv);
    });
}

#include "test_stopped_by_signals.moc"
