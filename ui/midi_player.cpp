#include "midi_player.h"

#include "error.h"

namespace zorvat {

// Stand-in until the synthesizer arrives: opens nothing and stays silent.
struct MidiPlayer::Impl {
    bool opened = false;
};

MidiPlayer::MidiPlayer() : d(std::make_unique<Impl>()) {}
MidiPlayer::~MidiPlayer() = default;

void MidiPlayer::Open(const std::string&)
{
    throw Error("MIDI 出力がありません");
}

void MidiPlayer::Play()
{
    if (!d->opened)
        throw Error("MCI ﾃﾞﾊﾞｲｽがありません");
}

void MidiPlayer::Stop()
{
    if (!d->opened)
        throw Error("MCI ﾃﾞﾊﾞｲｽがありません");
}

bool MidiPlayer::IsStopped() const
{
    return true;
}

void MidiPlayer::Close()
{
    d->opened = false;
}

bool MidiPlayer::Opened() const
{
    return d->opened;
}

} // namespace zorvat
