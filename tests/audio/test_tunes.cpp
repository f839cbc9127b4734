// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi_player.h"

#include <QFile>
#include <QtTest>

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>

using namespace zorvat;

namespace {

// What a reading of a standard MIDI file found out, or why it failed.
struct TuneFacts {
    QString error;
    int format = -1;
    int division = 0;
    int endTick = 0; // the latest end of track
    double seconds = 0;
    std::set<int> noteChannels;
    int barTicks = 0; // from the time signature
    int notesLeftSounding = 0;
    int notesPastTheEnd = 0;
};

// A reader written from the file format alone, independent of the tunes' generator and
// of the synthesizer: chunks, variable-length deltas, running status, meta and sysex events.
class SmfReader {
public:
    explicit SmfReader(QByteArray data)
        : d(std::move(data))
    {
    }

    TuneFacts read()
    {
        TuneFacts f;
        try {
            if (chunkId() != "MThd" || be(4) != 6)
                throw std::runtime_error("no MThd header of length 6");
            f.format = be(2);
            const int tracks = be(2);
            f.division = be(2);
            if (f.format > 1 || tracks < 1 || f.division <= 0 || f.division >= 0x8000)
                throw std::runtime_error("unexpected header fields");
            std::map<int, int> tempi { { 0, 500000 } };
            std::vector<std::pair<int, int>> noteEnds; // for each note: start, end
            for (int t = 0; t < tracks; ++t)
                readTrack(f, tempi, noteEnds);
            if (pos != d.size())
                throw std::runtime_error("bytes after the last track");
            for (const auto& [start, end] : noteEnds) {
                if (end < 0)
                    ++f.notesLeftSounding;
                else if (end > f.endTick)
                    ++f.notesPastTheEnd;
            }
            f.seconds = seconds(tempi, f.endTick, f.division);
        } catch (const std::exception& e) {
            f.error = QString::fromUtf8(e.what()) + " at byte " + QString::number(pos);
        }
        return f;
    }

private:
    void readTrack(TuneFacts& f, std::map<int, int>& tempi, std::vector<std::pair<int, int>>& noteEnds)
    {
        if (chunkId() != "MTrk")
            throw std::runtime_error("no MTrk chunk");
        const int length = be(4);
        const qsizetype end = pos + length;
        if (end > d.size())
            throw std::runtime_error("track longer than the file");
        std::map<int, std::vector<std::size_t>> open; // channel * 128 + key -> notes not yet ended
        int tick = 0;
        int status = 0;
        bool ended = false;
        while (pos < end) {
            if (ended)
                throw std::runtime_error("events after the end of track");
            tick += varLen();
            int first = byte();
            if (first < 0x80) {
                if (!status)
                    throw std::runtime_error("running status without a status");
                --pos;
                first = status;
            }
            if (first == 0xFF) {
                const int type = byte();
                const int length = varLen();
                const QByteArray data = take(length);
                if (type == 0x2F) {
                    ended = true;
                    f.endTick = std::max(f.endTick, tick);
                } else if (type == 0x51 && length == 3) {
                    tempi[tick] = (uchar(data[0]) << 16) | (uchar(data[1]) << 8) | uchar(data[2]);
                } else if (type == 0x58 && length == 4) {
                    f.barTicks = data[0] * f.division * 4 / (1 << data[1]);
                }
                status = 0;
            } else if (first == 0xF0 || first == 0xF7) {
                take(varLen());
                status = 0;
            } else if (first >= 0x80 && first < 0xF0) {
                status = first;
                const int kind = first & 0xF0;
                const int channel = first & 0x0F;
                const int a = byte();
                const int b = (kind == 0xC0 || kind == 0xD0) ? 0 : byte();
                if (a > 127 || b > 127)
                    throw std::runtime_error("data byte above 127");
                const int key = channel * 128 + a;
                if (kind == 0x90 && b > 0) {
                    f.noteChannels.insert(channel);
                    open[key].push_back(noteEnds.size());
                    noteEnds.emplace_back(tick, -1);
                } else if ((kind == 0x80 || kind == 0x90) && !open[key].empty()) {
                    noteEnds[open[key].front()].second = tick;
                    open[key].erase(open[key].begin());
                }
            } else {
                throw std::runtime_error("unknown status byte");
            }
        }
        if (!ended || pos != end)
            throw std::runtime_error("track without its end-of-track event");
    }

    static double seconds(const std::map<int, int>& tempi, int endTick, int division)
    {
        double s = 0;
        for (auto it = tempi.begin(); it != tempi.end() && it->first < endTick; ++it) {
            const auto next = std::next(it);
            const int until = next == tempi.end() ? endTick : std::min(next->first, endTick);
            s += double(until - it->first) * it->second / 1e6 / division;
        }
        return s;
    }

    QByteArray chunkId() { return take(4); }
    QByteArray take(qsizetype n)
    {
        if (n < 0 || pos + n > d.size())
            throw std::runtime_error("unexpected end of file");
        const QByteArray part = d.mid(pos, n);
        pos += n;
        return part;
    }
    int byte() { return uchar(take(1)[0]); }
    int be(int bytes)
    {
        int v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | byte();
        return v;
    }
    int varLen()
    {
        int v = 0;
        for (int i = 0; i < 4; ++i) {
            const int b = byte();
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return v;
        }
        throw std::runtime_error("variable-length number over four bytes");
    }

    QByteArray d;
    qsizetype pos = 0;
};

// The tunes as the build placed them beside the executable, where the game looks.
QString besideTheGame(const QString& name)
{
    return QStringLiteral(ZORVAT_RUNTIME_DIR "/") + name;
}

TuneFacts factsOf(const QString& name)
{
    QFile f(besideTheGame(name));
    if (!f.open(QIODevice::ReadOnly)) {
        TuneFacts missing;
        missing.error = QStringLiteral("not beside the game: ") + f.fileName();
        return missing;
    }
    return SmfReader(f.readAll()).read();
}

} // namespace

class TestTunes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachTuneIsAStandardMidiFileLastingHalfAMinuteToAMinute_data();
    void eachTuneIsAStandardMidiFileLastingHalfAMinuteToAMinute();
    void eachTuneLoopsCleanlyAtABarLineWithNoNoteLeftSounding_data();
    void eachTuneLoopsCleanlyAtABarLineWithNoNoteLeftSounding();
    void thePlayerOpensEachTuneWithItsFullLength_data();
    void thePlayerOpensEachTuneWithItsFullLength();

private:
    void tunes();
};

void TestTunes::tunes()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("title tune") << "title.mid";
    QTest::newRow("question tune") << "open.mid";
}

void TestTunes::eachTuneIsAStandardMidiFileLastingHalfAMinuteToAMinute_data()
{
    tunes();
}

void TestTunes::eachTuneIsAStandardMidiFileLastingHalfAMinuteToAMinute()
{
    QFETCH(QString, name);
    const TuneFacts f = factsOf(name);
    QVERIFY2(f.error.isEmpty(), qPrintable(f.error));
    QVERIFY2(f.seconds >= 30 && f.seconds <= 60, qPrintable(QString::number(f.seconds)));
    // A melody with accompaniment: notes on several channels, drums among them.
    QVERIFY(f.noteChannels.size() >= 3);
    QVERIFY(f.noteChannels.count(9));
}

void TestTunes::eachTuneLoopsCleanlyAtABarLineWithNoNoteLeftSounding_data()
{
    tunes();
}

void TestTunes::eachTuneLoopsCleanlyAtABarLineWithNoNoteLeftSounding()
{
    QFETCH(QString, name);
    const TuneFacts f = factsOf(name);
    QVERIFY2(f.error.isEmpty(), qPrintable(f.error));
    QVERIFY(f.barTicks > 0);
    QCOMPARE(f.endTick % f.barTicks, 0);
    QCOMPARE(f.notesLeftSounding, 0);
    QCOMPARE(f.notesPastTheEnd, 0);
}

void TestTunes::thePlayerOpensEachTuneWithItsFullLength_data()
{
    tunes();
}

void TestTunes::thePlayerOpensEachTuneWithItsFullLength()
{
    QFETCH(QString, name);
    MidiPlayer player(MidiSetup::toFile("/dev/null"));
    player.Open(besideTheGame(name).toStdString());
    QVERIFY(player.IsStopped());
    QCOMPARE(player.Length(), factsOf(name).endTick);
}

QTEST_GUILESS_MAIN(TestTunes)
#include "test_tunes.moc"
