// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _fluid_synth_t fluid_synth_t;

namespace zorvat {

// Where the synthesizer finds its instruments and where its sound goes. The defaults suit
// the game; a file output is written in real time, so a tune advances as it would through
// speakers on a machine without a sound card.
struct MidiSetup {
    /** Soundfonts tried in order; the first that loads is used. */
    std::vector<std::string> soundfonts = defaultSoundfonts();
    /** Audio outputs tried in order; "file" writes raw samples to `outputFile`. */
    std::vector<std::string> drivers = { "pulseaudio", "alsa", "oss", "jack" };
    std::string outputFile;

    /** The General MIDI soundfonts a Debian desktop provides, the synthesizer's own default first. */
    static std::vector<std::string> defaultSoundfonts();
    /** Real-time output into `path` ("/dev/null" for silence). */
    static MidiSetup toFile(const std::string& path);
};

// The software synthesizer the tunes share. Its soundfont is loaded once; its channels
// belong to one tune at a time; its audio output starts with the first tune and stops
// once no tune has played for a moment, so a game with no tune playing has no sound
// thread at all; an output lost while a tune plays is opened again.
class Synthesizer {
public:
    // The tune holding the channels, as the synthesizer sees it.
    class Holder {
    public:
        virtual ~Holder() = default;
        /** Stops playing, keeping the position: another tune is taking the channels. */
        virtual void yield() = 0;
        /** True once the tune is stopped or has played to its end. */
        virtual bool finished() const = 0;
    };

    explicit Synthesizer(MidiSetup setup = {});
    ~Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    /** Makes the synthesizer, opens the audio output and loads the soundfont, each once; throws Error
        with the text for the player when one of them cannot be had. */
    void prepare();
    /** The synthesizer itself; null before prepare has succeeded. */
    fluid_synth_t* handle() const;

    /** Keeps the audio thread out of the synthesizer while the lock lives. A player joins or leaves
        the synthesizer, and the calls below are made, only under it. */
    [[nodiscard]] std::unique_lock<std::mutex> exclusive();
    /** True while `tune` holds the channels. */
    bool holds(const Holder* tune) const;
    /** Hands the channels to `tune`: the holder yields and every channel is reset. */
    void handTo(Holder* tune);
    /** Takes the channels back from `tune` if it holds them. */
    void release(const Holder* tune);
    /** Renders one short block that nobody hears, moving the players on by it. */
    void renderUnheard();

    /** Starts the audio output unless it runs; when none can be had just now, it is tried again
        while a tune plays, which waits at its place until then. */
    void startOutput();
    /** Voices sounding right now. */
    int soundingVoices() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zorvat
