// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "synthesizer.h"
#include "tune_player.h"

#include <memory>
#include <string>

namespace zorvat {

// One tune: a standard MIDI file played through a software synthesizer. Tunes that share
// a synthesizer sound one at a time: playing one stops the other.
class MidiPlayer : public TunePlayer {
public:
    /** A tune with a synthesizer of its own. */
    explicit MidiPlayer(MidiSetup setup = {});
    /** A tune on a synthesizer shared with other tunes. */
    explicit MidiPlayer(std::shared_ptr<Synthesizer> synthesizer);
    ~MidiPlayer() override;
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    void Open(const std::string& path) override;
    void Play() override;
    void Stop() override;
    bool IsStopped() const override;
    void Close() override;
    bool Opened() const override;

    /** The current position in MIDI ticks; 0 when not open. */
    int Position() const;
    /** The tune's length in MIDI ticks (the tick of its last event); 0 when not open. */
    int Length() const;
    /** Voices this tune is sounding right now. */
    int SoundingVoices() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zorvat
