// SPDX-License-Identifier: GPL-3.0-or-later
#include "error.h"
#include "midi_player.h"
#include "tune_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <vector>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

constexpr const char* NoDevice = "MCI ﾃﾞﾊﾞｲｽがありません";

// The real synthesizer, heard by nobody: the output file is written in real time, so
// a tune advances as it would through speakers.
MidiSetup silent()
{
    return MidiSetup::toFile("/dev/null");
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

} // namespace

class TestMidiPlayer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openSaysWhyAFileIsNoTune_data();
    void openSaysWhyAFileIsNoTune();
    void openSaysWhenThereIsNoSoundfontOrNoAudioOutput_data();
    void openSaysWhenThereIsNoSoundfontOrNoAudioOutput();
    void playOrStopWithoutAnOpenTuneRaisesTheMissingDeviceError_data();
    void playOrStopWithoutAnOpenTuneRaisesTheMissingDeviceError();
    void anOpenedTuneWaitsStoppedAtItsStart();
    void stopKeepsThePositionAndPlayGoesOnFromIt();
    void playWhilePlayingChangesNothing();
    void stopSilencesEveryNoteAtOnce();
    void aTuneThatPlayedToItsEndCountsAsStoppedAndStartsOverOnPlay_data();
    void aTuneThatPlayedToItsEndCountsAsStoppedAndStartsOverOnPlay();
    void openingAnotherTuneClosesTheFirst();

private:
    QTemporaryDir dir;
};

void TestMidiPlayer::openSaysWhyAFileIsNoTune_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");

    const QByteArray whole = tune(4, 120);
    QTest::newRow("missing file") << false << QByteArray() << "が見つかりません";
    QTest::newRow("text file named .mid") << true << QByteArray("This is no tune.\r\n") << "MIDI ﾌｧｲﾙではありません";
    QTest::newRow("empty file") << true << QByteArray() << "MIDI ﾌｧｲﾙではありません";
    QTest::newRow("tune cut off halfway") << true << whole.left(whole.size() / 2) << "MIDI ﾌｧｲﾙではありません";
    QTest::newRow("tune without a note") << true << tune(0, 120) << "には曲がありません";
}

void TestMidiPlayer::openSaysWhyAFileIsNoTune()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(QString, says);

    const QString path = exists ? write(dir, QStringLiteral("broken.mid"), content) : dir.filePath("none.mid");
    MidiPlayer mp(silent());
    const QString text = errorOf([&] { mp.Open(path.toStdString()); });

    QVERIFY2(text.contains(says), qPrintable(text));
    QVERIFY2(text.contains(path), qPrintable(text));
    QVERIFY(!mp.Opened());
    QCOMPARE(errorOf([&] { mp.Play(); }), QString(NoDevice));
}

void TestMidiPlayer::openSaysWhenThereIsNoSoundfontOrNoAudioOutput_data()
{
    QTest::addColumn<bool>("noSoundfont");
    QTest::addColumn<QString>("says");

    QTest::newRow("no soundfont") << true << "ｻｳﾝﾄﾞﾌｫﾝﾄが見つかりません";
    QTest::newRow("no audio output") << false << "音楽を再生できません。ｹﾞｰﾑは音楽なしでそのまま遊べます。\n";
}

void TestMidiPlayer::openSaysWhenThereIsNoSoundfontOrNoAudioOutput()
{
    QFETCH(bool, noSoundfont);
    QFETCH(QString, says);

    MidiSetup setup = silent();
    if (noSoundfont)
        setup.soundfonts = { dir.filePath("nowhere.sf2").toStdString() };
    else
        setup.drivers = { "no-such-output" };
    MidiPlayer mp(setup);
    const QString text = errorOf([&] { mp.Open(write(dir, "good.mid", tune(4, 120)).toStdString()); });

    QVERIFY2(text.startsWith(says), qPrintable(text));
    QVERIFY(!mp.Opened());
}

void TestMidiPlayer::playOrStopWithoutAnOpenTuneRaisesTheMissingDeviceError_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("never opened") << "";
    QTest::newRow("open failed") << "fail";
    QTest::newRow("closed") << "close";
}

void TestMidiPlayer::playOrStopWithoutAnOpenTuneRaisesTheMissingDeviceError()
{
    QFETCH(QString, before);

    MidiPlayer mp(silent());
    if (before == "fail")
        errorOf([&] { mp.Open(dir.filePath("none.mid").toStdString()); });
    if (before == "close") {
        mp.Open(write(dir, "good.mid", tune(4, 120)).toStdString());
        mp.Play();
        mp.Close();
    }
    QCOMPARE(errorOf([&] { mp.Play(); }), QString(NoDevice));
    QCOMPARE(errorOf([&] { mp.Stop(); }), QString(NoDevice));
    QVERIFY(mp.IsStopped());
    QVERIFY(!mp.Opened());
}

void TestMidiPlayer::anOpenedTuneWaitsStoppedAtItsStart()
{
    MidiPlayer mp(silent());
    mp.Open(write(dir, "four.mid", tune(4, 120)).toStdString());
    QVERIFY(mp.Opened());
    QVERIFY(mp.IsStopped());
    QCOMPARE(mp.Position(), 0);
    QCOMPARE(mp.Length(), 4 * Ppq);
}

void TestMidiPlayer::stopKeepsThePositionAndPlayGoesOnFromIt()
{
    MidiPlayer mp(silent());
    mp.Open(write(dir, "long.mid", tune(32, 120)).toStdString());
    mp.Play();
    QVERIFY(!mp.IsStopped());
    QTRY_VERIFY(mp.Position() > 2 * Ppq);

    mp.Stop();
    QVERIFY(mp.IsStopped());
    const int kept = mp.Position();
    QTest::qWait(300); // time passes, the stopped tune does not move
    QCOMPARE(mp.Position(), kept);

    mp.Play();
    QVERIFY(!mp.IsStopped());
    QTRY_VERIFY(mp.Position() > kept);
    QVERIFY(mp.Position() < kept + 2 * Ppq);
}

void TestMidiPlayer::playWhilePlayingChangesNothing()
{
    MidiPlayer mp(silent());
    mp.Open(write(dir, "long.mid", tune(32, 120)).toStdString());
    mp.Play();
    QTRY_VERIFY(mp.Position() > Ppq);
    const int before = mp.Position();
    mp.Play();
    QVERIFY(!mp.IsStopped());
    QVERIFY(mp.Position() >= before);
}

void TestMidiPlayer::stopSilencesEveryNoteAtOnce()
{
    MidiPlayer mp(silent());
    mp.Open(write(dir, "chords.mid", tune(16, 60, 4)).toStdString());
    mp.Play();
    QTRY_VERIFY(mp.SoundingVoices() >= 4);

    mp.Stop();
    QCOMPARE(mp.SoundingVoices(), 0);
    QTest::qWait(200); // nothing the player had under way may start a note afterwards
    QCOMPARE(mp.SoundingVoices(), 0);
}

void TestMidiPlayer::aTuneThatPlayedToItsEndCountsAsStoppedAndStartsOverOnPlay_data()
{
    QTest::addColumn<int>("waitAfterEndMs");
    QTest::newRow("played again as soon as it ends") << 0;
    QTest::newRow("played again long after it ended") << 2500;
}

void TestMidiPlayer::aTuneThatPlayedToItsEndCountsAsStoppedAndStartsOverOnPlay()
{
    QFETCH(int, waitAfterEndMs);

    MidiPlayer mp(silent());
    mp.Open(write(dir, "short.mid", tune(4, 240)).toStdString());
    mp.Play();
    QTRY_VERIFY_WITH_TIMEOUT(mp.IsStopped(), 4000);
    // Found stopped at its end, not after silence running on past it: a looping tune
    // has no gap beyond one idle step.
    QVERIFY2(mp.Position() - mp.Length() < Ppq, qPrintable(QString::number(mp.Position())));
    QTest::qWait(waitAfterEndMs);

    mp.Play();
    QVERIFY(!mp.IsStopped());
    QTRY_VERIFY(mp.Position() > 0);
    QVERIFY(mp.Position() < mp.Length() / 2);
    QVERIFY(!mp.IsStopped());
}

void TestMidiPlayer::openingAnotherTuneClosesTheFirst()
{
    MidiPlayer mp(silent());
    mp.Open(write(dir, "long.mid", tune(32, 120)).toStdString());
    mp.Play();
    QTRY_VERIFY(mp.Position() > 0);

    mp.Open(write(dir, "four.mid", tune(4, 120)).toStdString());
    QVERIFY(mp.IsStopped());
    QCOMPARE(mp.Position(), 0);
    QCOMPARE(mp.Length(), 4 * Ppq);
}

QTEST_GUILESS_MAIN(TestMidiPlayer)
#include "test_midi_player.moc"
