// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi_player.h"
#include "tune_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <memory>

using namespace zorvat;
using namespace zorvat::testing;

namespace {

constexpr int PanController = 10;
// One block of the file output: 4096 frames of two 16-bit samples.
constexpr qint64 BlockBytes = 4096 * 4;

// A tune panned hard left from its first tick, and one that leaves the pan alone.
const QByteArray LeftTune = tune(64, 240, 2, controller(PanController, 0));
const QByteArray CentredTune = tune(64, 240, 2);

int threads()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// The left channel's share of the sound in a raw file of 16-bit stereo frames from byte
// `from` on: near 1 for a tune panned hard left, near one half for a centred one.
double leftShare(const QString& path, qint64 from)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(from))
        return -1;
    const QByteArray raw = f.readAll();
    const auto* samples = reinterpret_cast<const std::int16_t*>(raw.constData());
    double left = 0;
    double right = 0;
    for (qsizetype i = 0; i + 1 < raw.size() / 2; i += 2) {
        left += double(samples[i]) * samples[i];
        right += double(samples[i + 1]) * samples[i + 1];
    }
    return left + right > 0 ? left / (left + right) : -1;
}

// Watches an output file; settled once its size has not moved for a while.
class FileGrowth {
public:
    explicit FileGrowth(QString path)
        : m_path(std::move(path))
    {
    }
    bool settled()
    {
        const qint64 size = QFileInfo(m_path).size();
        if (size != m_size || !m_since.isValid()) {
            m_size = size;
            m_since.start();
        }
        return m_since.elapsed() >= 300;
    }
    qint64 size() const { return QFileInfo(m_path).size(); }

private:
    QString m_path;
    qint64 m_size = -1;
    QElapsedTimer m_since;
};

// Two tunes on one synthesizer, sounding into one file.
struct SharedRig {
    explicit SharedRig(const QTemporaryDir& dir)
        : out(dir.filePath(QStringLiteral("shared.raw")))
        , synthesizer(std::make_shared<Synthesizer>(MidiSetup::toFile(out.toStdString())))
        , left(synthesizer)
        , centred(synthesizer)
    {
        left.Open(write(dir, QStringLiteral("left.mid"), LeftTune).toStdString());
        centred.Open(write(dir, QStringLiteral("centred.mid"), CentredTune).toStdString());
    }
    QString out;
    std::shared_ptr<Synthesizer> synthesizer;
    MidiPlayer left;
    MidiPlayer centred;
};

// Plays `player` on from where it is for two beats and stops it: the left share of what
// it sounded into `out` meanwhile, or -1 if it did not play.
double playTwoBeats(MidiPlayer& player, const QString& out)
{
    const qint64 from = QFileInfo(out).size() / 4 * 4;
    const int at = player.Position();
    player.Play();
    if (!QTest::qWaitFor([&] { return player.Position() > at + 2 * Ppq; }, 5000))
        return -1;
    player.Stop();
    // A block the output rendered just before the stop may still be on its way into the file,
    // where the next tune's window would take it for its own: two more blocks written mean it
    // is in (the output writes silence for a while after a stop). Should the output fall quiet
    // sooner, the share is measured over what there is.
    const qint64 stopped = QFileInfo(out).size();
    static_cast<void>(QTest::qWaitFor([&] { return QFileInfo(out).size() >= stopped + 2 * BlockBytes; }, 2000));
    return leftShare(out, from);
}

double aloneShare(const QTemporaryDir& dir, const QString& name, const QByteArray& data)
{
    const QString out = dir.filePath(name + QStringLiteral(".raw"));
    MidiPlayer alone(MidiSetup::toFile(out.toStdString()));
    alone.Open(write(dir, name + QStringLiteral(".mid"), data).toStdString());
    return playTwoBeats(alone, out);
}

} // namespace

class TestSharedSynthesizer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachTuneSoundsWithItsOwnInstrumentsAfterASwitch();
    void nothingIsRenderedAndNoAudioThreadRunsWhileNoTunePlays_data();
    void nothingIsRenderedAndNoAudioThreadRunsWhileNoTunePlays();
    void stoppingTheTuneThatDoesNotPlayLeavesTheOtherSounding();
    void playingOneTuneStopsTheOtherWhichKeepsItsPlace();

private:
    QTemporaryDir dir;
};

void TestSharedSynthesizer::eachTuneSoundsWithItsOwnInstrumentsAfterASwitch()
{
    const double leftAlone = aloneShare(dir, QStringLiteral("left-alone"), LeftTune);
    const double centredAlone = aloneShare(dir, QStringLiteral("centred-alone"), CentredTune);
    QVERIFY2(leftAlone > 0.75, qPrintable(QString::number(leftAlone)));
    QVERIFY2(centredAlone > 0.4 && centredAlone < 0.6, qPrintable(QString::number(centredAlone)));

    SharedRig rig(dir);
    // The left tune is cut off mid-tune, as a game's start cuts off the title tune.
    QVERIFY(playTwoBeats(rig.left, rig.out) > 0);

    // The pan the left tune set must not follow into the other tune...
    const double centredAfter = playTwoBeats(rig.centred, rig.out);
    QVERIFY2(qAbs(centredAfter - centredAlone) < 0.1, qPrintable(QString::number(centredAfter)));

    // ...and the left tune, resumed mid-tune, has its own pan again though it was set
    // long before the place it resumes from.
    const double leftAfter = playTwoBeats(rig.left, rig.out);
    QVERIFY2(qAbs(leftAfter - leftAlone) < 0.1, qPrintable(QString::number(leftAfter)));
}

void TestSharedSynthesizer::nothingIsRenderedAndNoAudioThreadRunsWhileNoTunePlays_data()
{
    QTest::addColumn<bool>("playedToItsEnd");
    QTest::newRow("stopped mid-tune") << false;
    QTest::newRow("played to its end, not played again") << true;
}

void TestSharedSynthesizer::nothingIsRenderedAndNoAudioThreadRunsWhileNoTunePlays()
{
    QFETCH(bool, playedToItsEnd);
    const int before = threads();
    const QString out = dir.filePath(QStringLiteral("idle.raw"));
    MidiPlayer mp(MidiSetup::toFile(out.toStdString()));
    mp.Open(write(dir, QStringLiteral("short.mid"), tune(4, 240)).toStdString());
    mp.Play();
    QTRY_VERIFY(mp.Position() > 0);
    QVERIFY(threads() > before);
    if (playedToItsEnd)
        QTRY_VERIFY_WITH_TIMEOUT(mp.IsStopped(), 4000);
    else
        mp.Stop();

    FileGrowth growth(out);
    QTRY_VERIFY_WITH_TIMEOUT(growth.settled(), 3000);
    QTRY_COMPARE(threads(), before);
    const qint64 settled = growth.size();
    QTest::qWait(500); // a running output would write 88 kB meanwhile
    QCOMPARE(growth.size(), settled);
    QCOMPARE(threads(), before);

    // The output comes back with the next play.
    mp.Play();
    QTRY_VERIFY(growth.size() > 0 && !growth.settled());
    QVERIFY(threads() > before);
}

void TestSharedSynthesizer::stoppingTheTuneThatDoesNotPlayLeavesTheOtherSounding()
{
    SharedRig rig(dir);
    QVERIFY(playTwoBeats(rig.centred, rig.out) > 0);
    rig.left.Play();
    QTRY_VERIFY(rig.left.SoundingVoices() >= 2);
    const int at = rig.left.Position();

    // "開始" during a game stops the title tune again, which is already stopped.
    rig.centred.Stop();
    QVERIFY(rig.centred.IsStopped());
    QCOMPARE(rig.centred.SoundingVoices(), 0);
    QVERIFY(!rig.left.IsStopped());
    QVERIFY(rig.left.SoundingVoices() > 0);
    QTRY_VERIFY(rig.left.Position() > at + Ppq);
}

void TestSharedSynthesizer::playingOneTuneStopsTheOtherWhichKeepsItsPlace()
{
    SharedRig rig(dir);
    rig.left.Play();
    QTRY_VERIFY(rig.left.Position() > 2 * Ppq);

    rig.centred.Play();
    QVERIFY(rig.left.IsStopped());
    QCOMPARE(rig.left.SoundingVoices(), 0);
    const int kept = rig.left.Position();
    QTRY_VERIFY(rig.centred.Position() > Ppq);
    QCOMPARE(rig.left.Position(), kept);

    rig.left.Play();
    QVERIFY(rig.centred.IsStopped());
    QTRY_VERIFY(rig.left.Position() > kept);
    QVERIFY(rig.left.Position() < kept + 2 * Ppq);
}

QTEST_GUILESS_MAIN(TestSharedSynthesizer)
#include "test_shared_synthesizer.moc"
