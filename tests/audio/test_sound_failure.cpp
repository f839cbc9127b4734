// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi_player.h"
#include "synthesizer.h"
#include "tune_players.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
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

} // namespace

class TestSoundFailure : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void withoutASoundDeviceOneBoxSaysSoFirstAndNothingIsLeftRunning();

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

QTEST_GUILESS_MAIN(TestSoundFailure)
#include "test_sound_failure.moc"
