// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi_player.h"
#include "synthesizer.h"
#include "tune_players.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

using namespace zorvat;

namespace {

const std::string AppDir = ZORVAT_RUNTIME_DIR "/";

int threads()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Whatever the process writes to standard error meanwhile, as the terminal would show it.
QByteArray standardErrorOf(const std::function<void()>& action, const QString& file)
{
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int into = ::open(qPrintable(file), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(into, STDERR_FILENO);
    ::close(into);
    action();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// A private sound server with a null sink, answering at `socket` beside its own state, and the only
// sound system the music can find.
bool startServer(QProcess& server, const QString& socket)
{
    // A server that crashed leaves its socket behind, where nobody answers.
    QFile::remove(socket);
    const QString home = QFileInfo(socket).path();
    server.setEnvironment(QProcess::systemEnvironment() << "HOME=" + home << "XDG_RUNTIME_DIR=" + home);
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral("pulseaudio"),
        { "--system=false", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--log-target=stderr",
            "--log-level=error", "--load=module-null-sink sink_name=zorvat",
            "--load=module-native-protocol-unix socket=" + socket + " auth-anonymous=1" });
    qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
    return server.waitForStarted() && QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 10000);
}

} // namespace

class TestSoundFailure : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void withoutASoundDeviceOneBoxSaysSoFirstAndNothingIsLeftRunning();
    void musicComesBackWhenTheSoundServerDoes_data();
    void musicComesBackWhenTheSoundServerDoes();

private:
    QTemporaryDir dir;
};

void TestSoundFailure::initTestCase()
{
    // Every sound system of the desktop made unreachable, whatever this machine has:
    // no sound server, an ALSA without a single device, no JACK server to start.
    QFile empty(dir.filePath(QStringLiteral("alsa.conf")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    qputenv("ALSA_CONFIG_PATH", empty.fileName().toLocal8Bit());
    qputenv("PULSE_SERVER", ("unix:" + dir.filePath(QStringLiteral("no-server"))).toLocal8Bit());
    qputenv("JACK_NO_START_SERVER", "1");
    qputenv("JACK_DEFAULT_SERVER", "zorvat-no-server");
}

void TestSoundFailure::withoutASoundDeviceOneBoxSaysSoFirstAndNothingIsLeftRunning()
{
    const int before = threads();
    QStringList boxes;
    // The real players on one synthesizer, as the game makes them; the title player is kept at hand
    // to learn whether this machine's sound answered after all.
    const auto synthesizer = std::make_shared<Synthesizer>();
    auto* title = new MidiPlayer(synthesizer);
    TunePlayers tunes(std::unique_ptr<TunePlayer>(title), std::make_unique<MidiPlayer>(synthesizer));
    const QByteArray said
        = standardErrorOf([&] { tunes.openAll(AppDir, [&boxes](const QString& text) { boxes << text; }); },
            dir.filePath(QStringLiteral("stderr.txt")));
    if (title->Opened())
        QSKIP("a sound device of this machine answered");

    QCOMPARE(boxes.size(), 1);
    const QStringList lines = boxes.first().split('\n');
    QCOMPARE(lines.first(), QStringLiteral("音楽を再生できません。ｹﾞｰﾑは音楽なしでそのまま遊べます。"));
    QCOMPARE(lines.size(), 5);
    const QStringList drivers { "pulseaudio", "alsa", "oss", "jack" };
    for (int i = 0; i < drivers.size(); ++i)
        QVERIFY2(lines[i + 1].startsWith(drivers[i]), qPrintable(lines[i + 1]));
    // Nothing on the terminal either: the box says all a player needs.
    QVERIFY2(said.isEmpty(), said.constData());

    QTRY_COMPARE(threads(), before);
    // The game goes on without its tunes.
    tunes.Play(Tune::Title);
    tunes.Stop(Tune::Title);
    QVERIFY(!tunes.IsStopped(Tune::Question));
    QCOMPARE(threads(), before);
}

void TestSoundFailure::musicComesBackWhenTheSoundServerDoes_data()
{
    QTest::addColumn<int>("away");
    QTest::addColumn<bool>("switchWhileAway");
    QTest::newRow("server ended; the tune goes on when it is back, then the next tune") << SIGTERM << false;
    QTest::newRow("server crashed; the next tune is asked for while it is away") << SIGKILL << true;
    // Its output is kept and goes on by itself: closing it would hold the game until the server answers.
    QTest::newRow("server hung; the next tune is asked for while it hangs") << SIGSTOP << true;
}

void TestSoundFailure::musicComesBackWhenTheSoundServerDoes()
{
    QFETCH(int, away);
    QFETCH(bool, switchWhileAway);
    const QString socket = dir.filePath(QStringLiteral("sound-server"));
    QProcess server;
    QVERIFY2(startServer(server, socket), "no sound server: scripts/setup.sh test installs pulseaudio");
    const auto synthesizer = std::make_shared<Synthesizer>();
    auto* title = new MidiPlayer(synthesizer);
    auto* question = new MidiPlayer(synthesizer);
    TunePlayers tunes { std::unique_ptr<TunePlayer>(title), std::unique_ptr<TunePlayer>(question) };
    QStringList boxes;
    tunes.openAll(AppDir, [&boxes](const QString& text) { boxes << text; });
    QTRY_VERIFY_WITH_TIMEOUT(title->Position() > 0, 8000);

    ::kill(pid_t(server.processId()), away);
    QTest::qWait(2000); // the output stalls and is looked at
    const int at = title->Position();
    // Processor time of the whole process, every thread's included, while two tries for an output
    // are made if it was closed.
    const std::clock_t cpu = std::clock();
    QTest::qWait(3000);
    const double cpuAway = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    QVERIFY2(cpuAway < 0.3, qPrintable(QStringLiteral("%1 s of processor time in 3 s").arg(cpuAway)));
    QCOMPARE(title->Position(), at);
    QVERIFY(!tunes.IsStopped(Tune::Title));

    if (switchWhileAway) {
        tunes.Stop(Tune::Title);
        QTest::qWait(1000); // the output is looked at with nothing to be heard
        tunes.Play(Tune::Question);
    }
    if (away == SIGSTOP) {
        ::kill(pid_t(server.processId()), SIGCONT);
    } else {
        server.waitForFinished();
        QVERIFY(startServer(server, socket));
    }
    if (!switchWhileAway) {
        QTRY_VERIFY_WITH_TIMEOUT(title->Position() > at, 8000);
        tunes.Stop(Tune::Title);
        tunes.Play(Tune::Question);
    }
    QTRY_VERIFY_WITH_TIMEOUT(question->Position() > 0, 8000);
    QVERIFY(boxes.isEmpty());
    server.terminate();
    server.waitForFinished();
}

QTEST_GUILESS_MAIN(TestSoundFailure)
#include "test_sound_failure.moc"
