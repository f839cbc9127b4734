// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the game's two tunes, "title.mid" and "open.mid", as standard MIDI files
// (format 1, 480 ticks per quarter note) into the folder given as the only argument.
//
// Each tune is a note table for the melody and a chord per bar (or two, one per half);
// the accompaniment is spelled from the chords by a fixed pattern per tune. A tune is a
// whole number of bars and every track ends exactly on the last bar line with no note
// left sounding, so the idle check that restarts a stopped tune loops it without a seam.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int Ppq = 480;
constexpr int Sixteenth = Ppq / 4;
constexpr int SixteenthsPerBar = 16;
constexpr int BarTicks = Sixteenth * SixteenthsPerBar;
constexpr int DrumChannel = 9;

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "make_tunes: %s\n", what.c_str());
    std::exit(1);
}

// ---- the file -------------------------------------------------------------------

struct Event {
    int tick = 0;
    int order = 0; // at one tick: note-offs, then settings, then note-ons
    std::vector<std::uint8_t> bytes;
};

class Track {
public:
    explicit Track(std::string name) { meta(0, 0x03, name); }

    void meta(int tick, std::uint8_t type, const std::string& data)
    {
        std::vector<std::uint8_t> b { 0xFF, type };
        appendLength(b, static_cast<std::uint32_t>(data.size()));
        b.insert(b.end(), data.begin(), data.end());
        events.push_back({ tick, 1, b });
    }
    void control(int channel, int controller, int value)
    {
        events.push_back({ 0, 1, { static_cast<std::uint8_t>(0xB0 | channel), u8(controller), u8(value) } });
    }
    void program(int channel, int number)
    {
        events.push_back({ 0, 1, { static_cast<std::uint8_t>(0xC0 | channel), u8(number) } });
    }
    void note(int channel, int pitch, int tick, int ticks, int velocity)
    {
        if (pitch < 0 || pitch > 127 || ticks <= 0)
            fail("note out of range");
        events.push_back({ tick, 2, { static_cast<std::uint8_t>(0x90 | channel), u8(pitch), u8(velocity) } });
        events.push_back({ tick + ticks, 0, { static_cast<std::uint8_t>(0x80 | channel), u8(pitch), 0 } });
    }

    std::vector<std::uint8_t> chunk(int endTick) const
    {
        std::vector<Event> sorted = events;
        std::stable_sort(sorted.begin(), sorted.end(),
            [](const Event& a, const Event& b) { return a.tick != b.tick ? a.tick < b.tick : a.order < b.order; });
        std::vector<std::uint8_t> body;
        int now = 0;
        for (const Event& e : sorted) {
            if (e.tick > endTick)
                fail("an event lies past the end of the tune");
            appendLength(body, static_cast<std::uint32_t>(e.tick - now));
            body.insert(body.end(), e.bytes.begin(), e.bytes.end());
            now = e.tick;
        }
        appendLength(body, static_cast<std::uint32_t>(endTick - now));
        body.insert(body.end(), { 0xFF, 0x2F, 0x00 });
        std::vector<std::uint8_t> out { 'M', 'T', 'r', 'k' };
        appendBig(out, static_cast<std::uint32_t>(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }

    static void appendBig(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
    {
        for (int i = bytes - 1; i >= 0; --i)
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }

private:
    static std::uint8_t u8(int v) { return static_cast<std::uint8_t>(v & 0x7F); }
    static void appendLength(std::vector<std::uint8_t>& out, std::uint32_t value)
    {
        std::uint8_t groups[5];
        int n = 0;
        do {
            groups[n++] = static_cast<std::uint8_t>(value & 0x7F);
            value >>= 7;
        } while (value);
        while (n > 1)
            out.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
        out.push_back(groups[0]);
    }

    std::vector<Event> events;
};

void writeTune(const std::string& path, const std::vector<Track>& tracks, int endTick)
{
    std::vector<std::uint8_t> file { 'M', 'T', 'h', 'd' };
    Track::appendBig(file, 6, 4);
    Track::appendBig(file, 1, 2);
    Track::appendBig(file, static_cast<std::uint32_t>(tracks.size()), 2);
    Track::appendBig(file, Ppq, 2);
    for (const Track& t : tracks) {
        const std::vector<std::uint8_t> c = t.chunk(endTick);
        file.insert(file.end(), c.begin(), c.end());
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out)
        fail("cannot write " + path);
}

// ---- note tables ----------------------------------------------------------------

// "E5", "F#5", "Bb4" -> MIDI pitch (C4 = 60); "r" -> -1, a rest.
int pitchOf(const std::string& name)
{
    if (name == "r")
        return -1;
    static const int steps[] = { 9, 11, 0, 2, 4, 5, 7 }; // A..G
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        fail("bad note " + name);
    int pitch = steps[name[0] - 'A'];
    std::size_t i = 1;
    if (i < name.size() && name[i] == '#')
        ++pitch, ++i;
    else if (i < name.size() && name[i] == 'b')
        --pitch, ++i;
    if (i >= name.size())
        fail("bad note " + name);
    return pitch + 12 * (std::stoi(name.substr(i)) + 1);
}

struct Note {
    int pitch = -1;
    int start = 0; // in sixteenths from the start of the tune
    int length = 0;
};

// One bar per string, "E5:4 G5:4 C6:6 B5:2", lengths in sixteenths; each bar must fill 16.
std::vector<Note> melody(const std::vector<std::string>& bars)
{
    std::vector<Note> notes;
    for (std::size_t bar = 0; bar < bars.size(); ++bar) {
        std::istringstream in(bars[bar]);
        std::string token;
        int at = 0;
        while (in >> token) {
            const std::size_t colon = token.find(':');
            if (colon == std::string::npos)
                fail("no length in " + token);
            const int length = std::stoi(token.substr(colon + 1));
            const int pitch = pitchOf(token.substr(0, colon));
            if (pitch >= 0)
                notes.push_back({ pitch, static_cast<int>(bar) * SixteenthsPerBar + at, length });
            at += length;
        }
        if (at != SixteenthsPerBar)
            fail("bar " + std::to_string(bar + 1) + " holds " + std::to_string(at) + " sixteenths");
    }
    return notes;
}

struct Chord {
    int root = 0; // pitch class
    std::vector<int> tones; // pitch classes, root first
};

// "C", "Am", "G7", "Dm7", "Bb", "F#m" -> the chord's pitch classes.
Chord chordOf(const std::string& name)
{
    std::size_t i = 1;
    int root = pitchOf(name.substr(0, 1) + "4") % 12;
    if (i < name.size() && (name[i] == '#' || name[i] == 'b'))
        root = (root + (name[i++] == '#' ? 1 : 11)) % 12;
    const std::string kind = name.substr(i);
    std::vector<int> steps;
    if (kind.empty())
        steps = { 0, 4, 7 };
    else if (kind == "m")
        steps = { 0, 3, 7 };
    else if (kind == "7")
        steps = { 0, 4, 7, 10 };
    else if (kind == "m7")
        steps = { 0, 3, 7, 10 };
    else
        fail("bad chord " + name);
    Chord c { root, {} };
    for (int s : steps)
        c.tones.push_back((root + s) % 12);
    return c;
}

// One string per bar: one chord for the whole bar or two, one per half.
// The result has one chord per half bar.
std::vector<Chord> harmony(const std::vector<std::string>& bars)
{
    std::vector<Chord> halves;
    for (const std::string& bar : bars) {
        std::istringstream in(bar);
        std::vector<std::string> names;
        std::string name;
        while (in >> name)
            names.push_back(name);
        if (names.size() == 1)
            names.push_back(names[0]);
        if (names.size() != 2)
            fail("bar \"" + bar + "\" needs one or two chords");
        halves.push_back(chordOf(names[0]));
        halves.push_back(chordOf(names[1]));
    }
    return halves;
}

// The pitch of pitch class `pc` in the octave starting at `low`.
int placed(int pc, int low)
{
    return low + ((pc - low) % 12 + 12) % 12;
}

int ticks(int sixteenths)
{
    return sixteenths * Sixteenth;
}

void playMelody(Track& t, int channel, const std::vector<Note>& notes, int velocity, int gatePercent, int transpose = 0)
{
    for (const Note& n : notes) {
        // The first beat of each bar leans a little.
        const int accent = n.start % SixteenthsPerBar == 0 ? 8 : 0;
        t.note(channel, n.pitch + transpose, ticks(n.start), ticks(n.length) * gatePercent / 100, velocity + accent);
    }
}

void playChord(Track& t, int channel, const Chord& c, int low, int at, int length, int velocity)
{
    for (int pc : c.tones)
        t.note(channel, placed(pc, low), ticks(at), ticks(length), velocity);
}

enum Drum { Kick = 36, Snare = 38, ClosedHat = 42, OpenHat = 46, Crash = 49 };

void hit(Track& t, Drum drum, int at, int velocity)
{
    t.note(DrumChannel, drum, ticks(at), Sixteenth / 2, velocity);
}

Track conductor(const std::string& title, int bpm)
{
    Track t(title);
    const int micros = 60000000 / bpm;
    t.meta(0, 0x51,
        std::string { static_cast<char>(micros >> 16), static_cast<char>((micros >> 8) & 0xFF),
            static_cast<char>(micros & 0xFF) });
    t.meta(0, 0x58, std::string { 4, 2, 24, 8 }); // 4/4
    return t;
}

void setUp(Track& t, int channel, int program, int volume, int pan, int reverb)
{
    if (channel != DrumChannel)
        t.program(channel, program);
    t.control(channel, 7, volume);
    t.control(channel, 10, pan);
    t.control(channel, 91, reverb);
}

// ---- the title tune: C major, 120 bpm, A B A', 24 bars, 48 s ---------------------

void makeTitle(const std::string& folder)
{
    const std::vector<std::string> a = {
        "E5:4 G5:4 C6:6 B5:2",
        "A5:4 E5:4 A5:6 G5:2",
        "F5:4 A5:4 C6:4 A5:4",
        "G5:6 F5:2 E5:4 D5:4",
        "E5:4 G5:4 C6:6 D6:2",
        "E6:4 C6:4 A5:6 C6:2",
    };
    std::vector<std::string> tune = a;
    tune.insert(tune.end(), { "D6:4 A5:2 F5:2 G5:4 B5:4", "C6:8 r:4 G5:4" });
    const std::vector<std::string> b = {
        "A5:2 C6:2 A5:2 F5:2 A5:4 C6:4",
        "B5:2 D6:2 B5:2 G5:2 B5:4 D6:4",
        "E6:4 D6:2 C6:2 B5:4 G5:4",
        "A5:6 G5:2 A5:2 B5:2 C6:4",
        "C6:4 A5:4 F6:6 E6:2",
        "D6:4 B5:4 G5:4 B5:4",
        "C6:4 E6:4 D6:4 F#5:4",
        "G5:4 B5:2 D6:2 F6:4 D6:2 B5:2",
    };
    tune.insert(tune.end(), b.begin(), b.end());
    tune.insert(tune.end(), a.begin(), a.begin() + 2);
    tune.insert(tune.end(), { "F5:4 A5:4 C6:4 F6:4", "D6:6 C6:2 B5:4 G5:4" });
    tune.insert(tune.end(), a.begin() + 4, a.end());
    // The last bar turns back to the first.
    tune.insert(tune.end(), { "F5:4 A5:4 B5:4 D6:4", "C6:6 G5:2 F5:4 D5:4" });

    const std::vector<Chord> chords = harmony({
        "C", "Am", "F", "G", "C", "Am", "Dm G", "C", //
        "F", "G", "Em", "Am", "F", "G", "Am D7", "G7", //
        "C", "Am", "F", "G", "C", "Am", "Dm7 G", "C G7", //
    });
    const int bars = static_cast<int>(tune.size());
    const std::vector<Note> notes = melody(tune);

    std::vector<Track> tracks { conductor("Zorvat - title", 120) };
    Track lead("Flute");
    setUp(lead, 0, 73, 110, 64, 50);
    playMelody(lead, 0, notes, 96, 92);
    tracks.push_back(lead);

    // Glockenspiel an octave up brightens the middle section only.
    Track bells("Glockenspiel");
    setUp(bells, 3, 9, 70, 80, 60);
    std::vector<Note> middle;
    for (const Note& n : notes)
        if (n.start >= 8 * SixteenthsPerBar && n.start < 16 * SixteenthsPerBar)
            middle.push_back(n);
    playMelody(bells, 3, middle, 60, 60, 12);
    tracks.push_back(bells);

    // Piano: a chord on every off-beat.
    Track piano("Piano");
    setUp(piano, 1, 0, 90, 44, 40);
    for (int half = 0; half < 2 * bars; ++half)
        for (int beat = 0; beat < 2; ++beat)
            playChord(piano, 1, chords[half], 55, half * 8 + beat * 4 + 2, 1, 58);
    tracks.push_back(piano);

    // Bass: root and fifth on the beats.
    Track bass("Bass");
    setUp(bass, 2, 33, 105, 64, 20);
    for (int half = 0; half < 2 * bars; ++half) {
        const int root = placed(chords[half].root, 36);
        bass.note(2, root, ticks(half * 8), ticks(4) * 85 / 100, 92);
        bass.note(2, root + 7, ticks(half * 8 + 4), ticks(4) * 85 / 100, 80);
    }
    tracks.push_back(bass);

    Track drums("Drums");
    setUp(drums, DrumChannel, 0, 85, 64, 30);
    for (int bar = 0; bar < bars; ++bar) {
        const int at = bar * SixteenthsPerBar;
        if (bar % 8 == 0)
            hit(drums, Crash, at, 70);
        hit(drums, Kick, at, 96);
        hit(drums, Kick, at + 8, 88);
        hit(drums, Snare, at + 4, 72);
        hit(drums, Snare, at + 12, 76);
        for (int e = 0; e < 8; ++e)
            hit(drums, ClosedHat, at + 2 * e, e % 2 ? 40 : 52);
    }
    tracks.push_back(drums);

    writeTune(folder + "/title.mid", tracks, bars * BarTicks);
}

// ---- the question tune: F major, 132 bpm, A B A', 24 bars, about 44 s --------------

void makeQuestion(const std::string& folder)
{
    const std::vector<std::string> a = {
        "C5:2 F5:2 A5:2 F5:2 C6:4 A5:4",
        "G5:2 E5:2 C5:2 E5:2 G5:4 r:2 G5:2",
        "F5:2 A5:2 D6:4 C6:2 A5:2 F5:4",
        "D5:2 F5:2 Bb5:4 A5:2 G5:2 F5:2 G5:2",
        "Bb5:2 A5:2 G5:4 D5:2 G5:2 Bb5:4",
        "C6:4 E5:2 G5:2 C6:2 D6:2 E6:4",
        "F6:4 C6:4 D6:4 A5:4",
    };
    std::vector<std::string> tune = a;
    tune.push_back("Bb5:2 A5:2 G5:4 E5:2 G5:2 C6:4");
    const std::vector<std::string> b = {
        "D6:3 D6:1 C6:2 Bb5:2 F5:4 D5:4",
        "E5:3 E5:1 G5:2 C6:2 E6:4 C6:4",
        "E6:2 C6:2 A5:2 C6:2 E6:4 r:4",
        "F6:4 E6:2 D6:2 A5:4 F5:4",
        "D6:2 C6:2 Bb5:2 A5:2 Bb5:4 D6:4",
        "E6:2 D6:2 C6:2 Bb5:2 G5:4 C6:4",
        "C#6:4 E6:4 A5:4 G5:4",
        "F5:4 A5:4 G5:4 E5:2 C5:2",
    };
    tune.insert(tune.end(), b.begin(), b.end());
    tune.insert(tune.end(), a.begin(), a.end());
    // The last bar turns back to the first.
    tune.push_back("G5:2 Bb5:2 D6:4 C6:2 Bb5:2 G5:2 E5:2");

    const std::vector<Chord> chords = harmony({
        "F", "C", "Dm", "Bb", "Gm", "C", "F Dm", "Gm C", //
        "Bb", "C", "Am", "Dm", "Bb", "C7", "A7", "Dm C7", //
        "F", "C", "Dm", "Bb", "Gm", "C", "F Dm", "Gm C7", //
    });
    const int bars = static_cast<int>(tune.size());
    const std::vector<Note> notes = melody(tune);

    std::vector<Track> tracks { conductor("Zorvat - question", 132) };
    Track lead("Xylophone");
    setUp(lead, 0, 13, 127, 64, 40);
    playMelody(lead, 0, notes, 112, 80);
    tracks.push_back(lead);

    // A soft square wave under the xylophone carries the longer notes.
    Track square("Square");
    setUp(square, 3, 80, 64, 72, 30);
    playMelody(square, 3, notes, 70, 70);
    tracks.push_back(square);

    // Electric piano: stabs on beat 2, the "and" of 3, and beat 4.
    Track keys("Electric piano");
    setUp(keys, 1, 4, 88, 40, 40);
    for (int bar = 0; bar < bars; ++bar)
        for (int at : { 4, 10, 12 })
            playChord(keys, 1, chords[2 * bar + at / 8], 57, bar * SixteenthsPerBar + at, 1, at == 10 ? 54 : 62);
    tracks.push_back(keys);

    // Bass: eighths bouncing between root, octave and fifth.
    Track bass("Bass");
    setUp(bass, 2, 32, 96, 64, 20);
    for (int half = 0; half < 2 * bars; ++half) {
        const int root = placed(chords[half].root, 36);
        const int steps[] = { 0, 12, 7, 12 };
        for (int e = 0; e < 4; ++e)
            bass.note(2, root + steps[e], ticks(half * 8 + 2 * e), ticks(2) * 60 / 100, e == 0 ? 96 : 78);
    }
    tracks.push_back(bass);

    Track drums("Drums");
    setUp(drums, DrumChannel, 0, 70, 64, 30);
    for (int bar = 0; bar < bars; ++bar) {
        const int at = bar * SixteenthsPerBar;
        if (bar % 8 == 0)
            hit(drums, Crash, at, 66);
        hit(drums, Kick, at, 96);
        hit(drums, Kick, at + 6, 80);
        hit(drums, Kick, at + 8, 90);
        hit(drums, Snare, at + 4, 74);
        hit(drums, Snare, at + 12, 78);
        for (int e = 0; e < 7; ++e)
            hit(drums, ClosedHat, at + 2 * e, e % 2 ? 38 : 50);
        hit(drums, OpenHat, at + 14, 46);
    }
    tracks.push_back(drums);

    writeTune(folder + "/open.mid", tracks, bars * BarTicks);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tunes <assets folder>\n");
        return 2;
    }
    makeTitle(argv[1]);
    makeQuestion(argv[1]);
    return 0;
}
