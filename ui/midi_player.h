#pragma once

#include <memory>
#include <string>

namespace zorvat {

// One tune: a standard MIDI file played through a software synthesizer.
// It never loops by itself; whoever owns it restarts it when it is found stopped.
class MidiPlayer {
public:
    MidiPlayer();
    ~MidiPlayer();
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    /** Opens the tune at `path` (closing any open one); throws Error with a readable text on failure. */
    void Open(const std::string& path);
    /** Plays from the current position; from the start when the tune had played to its end. Throws "MCI ﾃﾞﾊﾞｲｽがありません" when not open. */
    void Play();
    /** Stops at once, silencing every note, keeping the position. Throws "MCI ﾃﾞﾊﾞｲｽがありません" when not open. */
    void Stop();
    /** True unless the tune is playing (also once it has played to its end). */
    bool IsStopped() const;
    /** Closes the tune; safe when none is open. */
    void Close();
    bool Opened() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zorvat
