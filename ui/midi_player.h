// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tune_player.h"

#include <memory>
#include <string>
#include <vector>

namespace zorvat {

// Where a player finds its instruments and where its sound goes. The defaults suit the
// game; the tests send the sound to a file, which the synthesizer writes in real time,
// so a tune advances as it would through speakers on a machine without a sound card.
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

// One tune: a standard MIDI file played through a software synthesizer of its own.
// It never loops by itself; whoever owns it restarts it when it is found stopped.
class MidiPlayer : public TunePlayer {
public:
    explicit MidiPlayer(MidiSetup setup = {});
    ~MidiPlayer() override;
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    /** Opens the tune at `path` (closing any open one); throws Error with a readable text when the
        file is missing or no MIDI file, or when no soundfont or no audio output can be had. */
    void Open(const std::string& path) override;
    /** Plays from the current position; from the start when the tune had played to its end.
        Throws "MCI ﾃﾞﾊﾞｲｽがありません" when not open. */
    void Play() override;
    /** Stops at once, silencing every note, keeping the position. Throws "MCI ﾃﾞﾊﾞｲｽがありません" when not open. */
    void Stop() override;
    /** True unless the tune is playing: also as soon as it has played to its end. */
    bool IsStopped() const override;
    /** Closes the tune; safe when none is open. */
    void Close() override;
    bool Opened() const override;

    /** The current position in MIDI ticks; 0 when not open. */
    int Position() const;
    /** The tune's length in MIDI ticks (the tick of its last event); 0 when not open. */
    int Length() const;
    /** Voices the synthesizer is sounding right now; none once Stop has returned. */
    int SoundingVoices() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zorvat
