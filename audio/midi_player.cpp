// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi_player.h"

#include "error.h"
#include "log_capture.h"

#include <fluidsynth.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

namespace zorvat {

namespace {

constexpr const char* NoDevice = "MCI ﾃﾞﾊﾞｲｽがありません";
constexpr int NoteOn = 0x90;
constexpr int TrialFrames = 64;

std::vector<char> readTune(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw Error(path + " が見つかりません");
    if (std::filesystem::is_directory(path, ec))
        throw Error(path + " を読み込めません");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Error(path + " を読み込めません");
    std::vector<char> data { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    if (in.bad())
        throw Error(path + " を読み込めません");
    return data;
}

// FluidSynth takes any file into its playlist and finds out only on the first rendered
// block that it holds no tune, long after Open has returned. So the tune is tried on a
// throw-away player of a small silent synthesizer, away from the one that may be playing
// the other tune: the tick of its last event, or 0.
int tryTune(const std::vector<char>& data)
{
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings)
        return 0;
    fluid_settings_setint(settings, "synth.polyphony", 1);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    int length = 0;
    if (fluid_synth_t* synth = new_fluid_synth(settings)) {
        if (fluid_player_t* trial = new_fluid_player(synth)) {
            if (fluid_player_add_mem(trial, data.data(), data.size()) == FLUID_OK
                && fluid_player_play(trial) == FLUID_OK) {
                float left[TrialFrames];
                float right[TrialFrames];
                fluid_synth_write_float(synth, TrialFrames, left, 0, 1, right, 0, 1);
                if (fluid_player_get_status(trial) == FLUID_PLAYER_PLAYING)
                    length = fluid_player_get_total_ticks(trial);
            }
            fluid_player_stop(trial);
            delete_fluid_player(trial);
        }
        delete_fluid_synth(synth);
    }
    delete_fluid_settings(settings);
    return length;
}

} // namespace

struct MidiPlayer::Impl : Synthesizer::Holder {
    std::shared_ptr<Synthesizer> synthesizer;
    std::vector<char> tune;
    int length = 0;
    fluid_player_t* player = nullptr;
    // The position a rewind left behind: the player takes a seek on its next block, so
    // until its position moves the tune counts as at its start, not at its end.
    mutable int seekFrom = -1;

    // The player's events pass here on the audio thread. Once a stop has closed the gate,
    // no note can start after the silencing that follows it, whatever the player was
    // doing at that moment.
    std::mutex gate;
    bool muted = true;

    static int forward(void* data, fluid_midi_event_t* event)
    {
        Impl* self = static_cast<Impl*>(data);
        const std::lock_guard lock(self->gate);
        if (self->muted && fluid_midi_event_get_type(event) == NoteOn && fluid_midi_event_get_velocity(event) > 0)
            return FLUID_OK;
        return fluid_synth_handle_midi_event(self->synthesizer->handle(), event);
    }

    void setMuted(bool on)
    {
        const std::lock_guard lock(gate);
        muted = on;
    }

    // Joins the synthesizer at the tune's first play.
    bool join()
    {
        player = new_fluid_player(synthesizer->handle());
        if (player && fluid_player_add_mem(player, tune.data(), tune.size()) == FLUID_OK) {
            fluid_player_set_playback_callback(player, &Impl::forward, this);
            return true;
        }
        if (player)
            delete_fluid_player(player);
        player = nullptr;
        return false;
    }

    int tick() const
    {
        const int now = fluid_player_get_current_tick(player);
        if (seekFrom >= 0) {
            if (now == seekFrom)
                return 0;
            seekFrom = -1;
        }
        return now;
    }

    // The channels were reset when the tune took them over; its programs and controllers
    // are set again by replaying its events from the start up to where it resumes, notes
    // left out. The player replays only when it seeks backwards, so it is sent to the start
    // first and then on, a block each, unheard and with the gate closed.
    void replayUpTo(int resumeAt)
    {
        fluid_player_seek(player, 0);
        fluid_player_play(player);
        synthesizer->renderUnheard();
        fluid_player_seek(player, resumeAt);
        synthesizer->renderUnheard();
    }

    // The player would only send note-offs, and release tails would ring on; the voices
    // are gone with the block rendered here, so nothing sounds once a stop has returned.
    void silence()
    {
        yield();
        fluid_synth_all_sounds_off(synthesizer->handle(), -1);
        const auto exclusive = synthesizer->exclusive();
        synthesizer->renderUnheard();
    }

    void yield() override
    {
        setMuted(true);
        if (player)
            fluid_player_stop(player);
    }

    bool finished() const override
    {
        return !player || fluid_player_get_status(player) != FLUID_PLAYER_PLAYING || tick() >= length;
    }
};

MidiPlayer::MidiPlayer(MidiSetup setup)
    : MidiPlayer(std::make_shared<Synthesizer>(std::move(setup)))
{
}

MidiPlayer::MidiPlayer(std::shared_ptr<Synthesizer> synthesizer)
    : d(std::make_unique<Impl>())
{
    d->synthesizer = std::move(synthesizer);
}

MidiPlayer::~MidiPlayer()
{
    Close();
}

void MidiPlayer::Open(const std::string& path)
{
    Close();
    std::vector<char> data = readTune(path);
    LogCapture log;
    const int length = tryTune(data);
    if (length <= 0) {
        const std::string why = log.take();
        const bool midi = data.size() >= 4 && std::equal(data.begin(), data.begin() + 4, "MThd");
        if (why.empty() && midi)
            throw Error(path + " には曲がありません");
        throw Error(withDetail(path + " は MIDI ﾌｧｲﾙではありません", why));
    }
    d->synthesizer->prepare();
    d->tune = std::move(data);
    d->length = length;
}

void MidiPlayer::Play()
{
    if (!Opened())
        throw Error(NoDevice);
    {
        const auto exclusive = d->synthesizer->exclusive();
        const bool takingOver = !d->synthesizer->holds(d.get());
        if (takingOver)
            d->synthesizer->handTo(d.get());
        // A tune that cannot join stays stopped and is tried again at its next play.
        if (!d->player && !d->join())
            return;
        if (d->tick() >= d->length) {
            // After its last event the player keeps "playing" silence for a while; a tune at
            // its end starts over at once instead.
            d->seekFrom = fluid_player_get_current_tick(d->player);
            fluid_player_stop(d->player);
            fluid_player_seek(d->player, 0);
        } else if (takingOver && d->tick() > 0) {
            d->replayUpTo(d->tick());
        }
    }
    // Without an output just now the tune plays all the same, standing still: the synthesizer
    // moves it on only for an output, and the output is tried again while the tune plays.
    d->synthesizer->startOutput();
    d->setMuted(false);
    fluid_player_play(d->player);
}

void MidiPlayer::Stop()
{
    if (!Opened())
        throw Error(NoDevice);
    // Only the holder of the channels has anything sounding.
    if (d->synthesizer->holds(d.get()))
        d->silence();
}

bool MidiPlayer::IsStopped() const
{
    return !Opened() || d->finished();
}

void MidiPlayer::Close()
{
    if (d->synthesizer->holds(d.get()))
        d->silence();
    const auto exclusive = d->synthesizer->exclusive();
    d->synthesizer->release(d.get());
    if (d->player)
        delete_fluid_player(d->player);
    d->player = nullptr;
    d->tune.clear();
    d->length = 0;
    d->seekFrom = -1;
}

bool MidiPlayer::Opened() const
{
    return d->length > 0;
}

int MidiPlayer::Position() const
{
    return Opened() && d->player ? d->tick() : 0;
}

int MidiPlayer::Length() const
{
    return d->length;
}

int MidiPlayer::SoundingVoices() const
{
    return Opened() && d->synthesizer->holds(d.get()) ? d->synthesizer->soundingVoices() : 0;
}

} // namespace zorvat
