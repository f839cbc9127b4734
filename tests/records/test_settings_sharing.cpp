// SPDX-License-Identifier: GPL-3.0-or-later
#include "error.h"
#include "file_bytes.h"
#include "file_calls.h"
#include "file_lock.h"
#include "high_scores.h"
#include "ini_file.h"
#include "records_copy.h"
#include "score_keeper.h"
#include "settings_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <thread>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

QStringList temporaryFiles(const QString& folder)
{
    return QDir(folder).entryList({ QStringLiteral("*.tmp") }, QDir::Files | QDir::Hidden);
}

std::int32_t gameCount(const QString& path)
{
    return TIniFile(path.toStdString()).ReadInt("pass", "tp", 0);
}

// Runs `body` in a child process; its pid.
template <typename Body> pid_t inChild(Body&& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 0;
        try {
            body();
        } catch (const Error&) {
            code = 2;
        }
        ::_exit(code);
    }
    return pid;
}

// Another copy of the game holding the file: a child that takes the lock and then runs
// `whileHolding`. Returns once the lock is held.
template <typename Body> pid_t holdingTheFile(const QString& path, Body&& whileHolding)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = inChild([&] {
        const FileLock lock(path.toStdString());
        [[maybe_unused]] const ssize_t told = ::write(ready[1], "x", 1);
        whileHolding();
    });
    char byte = 0;
    [[maybe_unused]] const ssize_t heard = ::read(ready[0], &byte, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    return pid;
}

int exitCodeOf(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A file another program and a person have edited too, with a count to go on from.
const QByteArray SharedFile = "; Zorvat\r\n[HS_SC]\r\nSC1=7\r\nsc2 = 6\r\n\r\n[other]\r\nkey=\x8e\x52\r\n"
                              "[name]\r\nname1=\x8e\x52\x93\x63\r\n[pass]\r\ntp=41\r\n";
constexpr int SharedCount = 41;

// The n-th game after the shared file's: scores that now and then enter the table.
std::int32_t scoreOf(int game)
{
    return game * 7919 % 23;
}

std::string nameOf(int game)
{
    return (game % 3 == 0 ? "山田" : "p") + std::to_string(game);
}

} // namespace

class TestSettingsSharing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void twoCopiesSavingAtOnceLoseNoGameAndNoEntry();
    void aSaveKilledAtAnyMomentLeavesTheOldOrTheNewFileAndNoTemporaryFile();
    void aCopyHoldingTheFileIsWaitedFor();
    void aCopyThatHoldsTheFileAndNoLongerRunsOnIsPassedOver();
    void theTableAsItIsAtTheSaveDecidesWhereTheScoreGoes();

private:
    QString settings() const { return m_dir->filePath(QStringLiteral("Zorvat.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsSharing::init()
{
    m_dir = std::make_unique<QTemporaryDir>(fastFolderTemplate());
}

void TestSettingsSharing::twoCopiesSavingAtOnceLoseNoGameAndNoEntry()
{
    constexpr int GamesEach = 1500;
    const QString path = settings();
    pid_t copies[2];
    for (int copy = 0; copy < 2; ++copy) {
        copies[copy] = inChild([&path, copy] {
            RecordsCopy records(path);
            // Rising scores, the two copies' taking turns: every game enters the table.
            for (int game = 1; game <= GamesEach; ++game)
                records.endGame(2 * game + copy, std::to_string(copy) + "-" + std::to_string(game));
        });
    }
    QCOMPARE(exitCodeOf(copies[0]), 0);
    QCOMPARE(exitCodeOf(copies[1]), 0);

    HighScores table;
    table.load(TIniFile(path.toStdString()));
    QCOMPARE(table.PlayCount, 2 * GamesEach);
    for (int rank = 1; rank <= 5; ++rank) {
        const int score = 2 * GamesEach + 2 - rank;
        QCOMPARE(table.HiScore[rank], score);
        QCOMPARE(table.HiName[rank], std::to_string(score % 2) + "-" + std::to_string(score / 2));
    }
    QCOMPARE(temporaryFiles(m_dir->path()), QStringList());
}

void TestSettingsSharing::aSaveKilledAtAnyMomentLeavesTheOldOrTheNewFileAndNoTemporaryFile()
{
    // Every state the file may be in: after each game, as separate writes would have left it.
    const QString path = settings();
    const QString reference = m_dir->filePath(QStringLiteral("reference.ini"));
    putFile(path, SharedFile);
    putFile(reference, SharedFile);
    std::vector<QByteArray> states { SharedFile };
    const auto stateAfter = [&](int games) -> const QByteArray& {
        for (int game = static_cast<int>(states.size()); game <= games; ++game) {
            elevenWriteGameEnd(reference, scoreOf(game), nameOf(game));
            states.push_back(fileBytes(reference));
        }
        return states[static_cast<std::size_t>(games)];
    };

    std::mt19937 random(7);
    int games = 0;
    int killedWithATemporaryFile = 0;
    // How long one save takes on this machine and build: the kill falls anywhere in the next few.
    qint64 saveUs = 1000;
    for (int round = 0; round < 300; ++round) {
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        // The copy says when its first save is done, so that the kills fall among its saves.
        const pid_t saver = inChild([&path, &ready] {
            RecordsCopy records(path);
            for (int saves = 0;; ++saves) {
                if (saves == 1) [[maybe_unused]]
                    const ssize_t told = ::write(ready[1], "x", 1);
                const int game = gameCount(path) - SharedCount + 1;
                records.endGame(scoreOf(game), nameOf(game));
            }
        });
        char byte = 0;
        QCOMPARE(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<qint64>(0, 6 * saveUs)(random)));
        ::kill(saver, SIGKILL);
        QCOMPARE(exitCodeOf(saver), -1);

        const int saved = gameCount(path) - SharedCount;
        QVERIFY(saved >= games);
        QVERIFY2(fileBytes(path) == stateAfter(saved), qPrintable(QStringLiteral("after %1 games").arg(saved)));
        killedWithATemporaryFile += temporaryFiles(m_dir->path()).isEmpty() ? 0 : 1;

        // The next save clears away what the killed one left.
        games = saved + 1;
        QElapsedTimer save;
        save.start();
        RecordsCopy(path).endGame(scoreOf(games), nameOf(games));
        saveUs = std::max<qint64>(1, save.nsecsElapsed() / 1000);
        QCOMPARE(fileBytes(path), stateAfter(games));
        QCOMPARE(temporaryFiles(m_dir->path()), QStringList());
    }
    qInfo("%d games saved, %d kills left a temporary file", games, killedWithATemporaryFile);
    // Some kills fell between a temporary file's making and its renaming.
    QVERIFY(killedWithATemporaryFile > 0);
}

void TestSettingsSharing::aCopyHoldingTheFileIsWaitedFor()
{
    const QString path = settings();
    putFile(path, SharedFile);
    // The other copy holds the file and writes it a while later, as a slow save would.
    const pid_t other = holdingTheFile(path, [&path] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        TIniFile(path.toStdString()).WriteInt("pass", "tp", 50);
    });
    RecordsCopy(path).endGame(0, "");
    QCOMPARE(exitCodeOf(other), 0);
    QCOMPARE(gameCount(path), 51);
}

void TestSettingsSharing::aCopyThatHoldsTheFileAndNoLongerRunsOnIsPassedOver()
{
    const QString path = settings();
    putFile(path, SharedFile);
    const pid_t stopped = holdingTheFile(path, [] { ::raise(SIGSTOP); });
    RecordsCopy(path).endGame(0, "");
    ::kill(stopped, SIGKILL);
    QCOMPARE(exitCodeOf(stopped), -1);
    QCOMPARE(gameCount(path), SharedCount + 1);
}

void TestSettingsSharing::theTableAsItIsAtTheSaveDecidesWhereTheScoreGoes()
{
    const QString path = settings();
    putFile(path, "[hs_sc]\r\nsc5=0\r\n");
    RecordsCopy records(path);
    // Another copy saves higher scores while the name box is open: 6 no longer enters.
    records.prompt.whileAsking
        = [&path] { putFile(path, "[hs_sc]\r\nsc1=9\r\nsc2=9\r\nsc3=9\r\nsc4=9\r\nsc5=9\r\n[pass]\r\ntp=3\r\n"); };
    records.endGame(6, "early");
    QCOMPARE(records.prompt.asked, 1);
    QCOMPARE(records.keeper.table().HiScore, (std::array<std::int32_t, 6> { 0, 9, 9, 9, 9, 9 }));
    QCOMPARE(gameCount(path), 4);

    // Another copy, holding the file, lowers the table that 6 did not enter: the name is asked
    // then, once the file is let go, and the score goes in.
    records.prompt.whileAsking = nullptr;
    const pid_t other = holdingTheFile(path, [&path] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        TIniFile(path.toStdString()).WriteInt("hs_sc", "sc5", 0);
    });
    records.endGame(6, "late");
    QCOMPARE(exitCodeOf(other), 0);
    QCOMPARE(records.prompt.asked, 2);
    HighScores table;
    table.load(TIniFile(path.toStdString()));
    QCOMPARE(table.HiScore[5], 6);
    QCOMPARE(table.HiName[5], std::string("late"));
    QCOMPARE(table.PlayCount, 5);
}

QTEST_GUILESS_MAIN(TestSettingsSharing)
#include "test_settings_sharing.moc"
