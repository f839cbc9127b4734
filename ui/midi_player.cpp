// SPDX-License-Identifier: GPL-3.0-or-later
#include "midi_player.h"

#include "error.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zorvat {

namespace {

constexpr const char* NoDevice = "MCI ﾃﾞﾊﾞｲｽがありません";
constexpr int NoteOn = 0x90;
constexpr int TrialFrames = 64;
constexpr auto SilenceWait = std::chrono::milliseconds(200);
// The synthesizer's own default leaves the tunes too quiet beside other programs.
constexpr double SynthGain = 0.6;

// FluidSynth tells what went wrong only through its log, which is one for the whole
// process. While an Open listens, the errors are kept for its error text instead of
// going to the terminal; the rest of the time the library reports as it always does.
class LogCapture {
public:
    LogCapture()
    {
        static std::once_flag installed;
        std::call_once(installed, [] {
            for (const int level : { FLUID_PANIC, FLUID_ERR })
                fluid_set_log_function(level, &LogCapture::log, nullptr);
            // Warnings and chatter are of no use to a player: a missing preset is no error.
            for (const int level : { FLUID_WARN, FLUID_INFO, FLUID_DBG })
                fluid_set_log_function(level, nullptr, nullptr);
        });
        const std::lock_guard lock(mutex());
        lines().clear();
        listening() = true;
    }
    ~LogCapture()
    {
        const std::lock_guard lock(mutex());
        listening() = false;
        lines().clear();
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    /** The errors logged since the capture began (or since the last take), joined; then forgets them. */
    std::string take()
    {
        const std::lock_guard lock(mutex());
        std::string text;
        for (const std::string& line : lines())
            text += (text.empty() ? "" : "; ") + line;
        lines().clear();
        return text;
    }

private:
    static void log(int level, const char* message, void* data)
    {
        {
            const std::lock_guard lock(mutex());
            if (listening()) {
                lines().emplace_back(message ? message : "");
                return;
            }
        }
        fluid_default_log_function(level, message, data);
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    static bool& listening()
    {
        static bool on = false;
        return on;
    }
    static std::vector<std::string>& lines()
    {
        static std::vector<std::string> kept;
        return kept;
    }
};

std::string withDetail(const std::string& text, const std::string& detail)
{
    return detail.empty() ? text : text + " (" + detail + ")";
}

// One line for each thing that was tried, under the headline.
std::string listed(const std::string& headline, const std::vector<std::string>& tried)
{
    std::string text = headline;
    for (const std::string& item : tried)
        text += "\n" + item;
    return text;
}

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
// throw-away player of the still silent synthesizer: the tick of its last event, or 0.
int tryTune(fluid_synth_t* synth, const std::vector<char>& data)
{
    fluid_player_t* trial = new_fluid_player(synth);
    if (!trial)
        return 0;
    int length = 0;
    if (fluid_player_add_mem(trial, data.data(), data.size()) == FLUID_OK && fluid_player_play(trial) == FLUID_OK) {
        float left[TrialFrames];
        float right[TrialFrames];
        fluid_synth_write_float(synth, TrialFrames, left, 0, 1, right, 0, 1);
        if (fluid_player_get_status(trial) == FLUID_PLAYER_PLAYING)
            length = fluid_player_get_total_ticks(trial);
    }
    fluid_player_stop(trial);
    delete_fluid_player(trial);
    // Whatever the trial set on the channels must not colour the real playing.
    fluid_synth_system_reset(synth);
    return length;
}

} // namespace

std::vector<std::string> MidiSetup::defaultSoundfonts()
{
    std::vector<std::string> fonts;
    if (fluid_settings_t* s = new_fluid_settings()) {
        char* builtIn = nullptr;
        if (fluid_settings_getstr_default(s, "synth.default-soundfont", &builtIn) == FLUID_OK && builtIn)
            fonts.emplace_back(builtIn);
        delete_fluid_settings(s);
    }
    for (const char* font : { "/usr/share/sounds/sf3/default-GM.sf3", "/usr/share/sounds/sf2/default-GM.sf2",
             "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2" }) {
        if (std::find(fonts.begin(), fonts.end(), font) == fonts.end())
            fonts.emplace_back(font);
    }
    return fonts;
}

MidiSetup MidiSetup::toFile(const std::string& path)
{
    MidiSetup setup;
    setup.drivers = { "file" };
    setup.outputFile = path;
    return setup;
}

struct MidiPlayer::Impl {
    MidiSetup setup;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_player_t* player = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    int length = 0;
    // The position a rewind left behind: the player takes a seek on its next block, so
    // until its position moves the tune counts as at its start, not at its end.
    mutable int seekFrom = -1;

    // The player's events pass here on the audio thread. Once Stop has closed the gate,
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
        return fluid_synth_handle_midi_event(self->synth, event);
    }

    void setMuted(bool on)
    {
        const std::lock_guard lock(gate);
        muted = on;
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

    void loadSoundfont()
    {
        for (const std::string& font : setup.soundfonts) {
            std::error_code ec;
            if (std::filesystem::is_regular_file(font, ec)
                && fluid_synth_sfload(synth, font.c_str(), 1) != FLUID_FAILED)
                return;
        }
        throw Error(listed("ｻｳﾝﾄﾞﾌｫﾝﾄが見つかりません:", setup.soundfonts));
    }

    // Each output is tried in turn: FluidSynth has no fallback of its own.
    void openOutput(LogCapture& log)
    {
        std::vector<std::string> reasons;
        for (const std::string& name : setup.drivers) {
            fluid_settings_setstr(settings, "audio.driver", name.c_str());
            if (name == "file") {
                fluid_settings_setstr(settings, "audio.file.name", setup.outputFile.c_str());
                const bool wav = std::filesystem::path(setup.outputFile).extension() == ".wav";
                fluid_settings_setstr(settings, "audio.file.type", wav ? "wav" : "raw");
            } else if (name == "jack") {
                fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
            }
            driver = new_fluid_audio_driver(settings, synth);
            if (driver)
                return;
            const std::string why = log.take();
            reasons.push_back(why.empty() ? name : name + ": " + why);
        }
        throw Error(listed("ｻｳﾝﾄﾞ出力を開けません:", reasons));
    }

    // The order keeps the audio thread away from whatever is being freed.
    void teardown()
    {
        if (player)
            fluid_player_stop(player);
        if (driver)
            delete_fluid_audio_driver(driver);
        if (player)
            delete_fluid_player(player);
        if (synth) {
            fluid_synth_all_sounds_off(synth, -1);
            delete_fluid_synth(synth);
        }
        if (settings)
            delete_fluid_settings(settings);
        driver = nullptr;
        player = nullptr;
        synth = nullptr;
        settings = nullptr;
        length = 0;
        seekFrom = -1;
        muted = true;
    }
};

MidiPlayer::MidiPlayer(MidiSetup setup)
    : d(std::make_unique<Impl>())
{
    d->setup = std::move(setup);
}

MidiPlayer::~MidiPlayer()
{
    Close();
}

void MidiPlayer::Open(const std::string& path)
{
    Close();
    const std::vector<char> data = readTune(path);
    LogCapture log;
    try {
        d->settings = new_fluid_settings();
        if (d->settings)
            fluid_settings_setnum(d->settings, "synth.gain", SynthGain);
        d->synth = d->settings ? new_fluid_synth(d->settings) : nullptr;
        if (!d->synth)
            throw Error(withDetail("ｼﾝｾｻｲｻﾞｰを用意できません", log.take()));
        // Tried before the soundfont is in, so the trial block makes no sound.
        d->length = tryTune(d->synth, data);
        if (d->length <= 0) {
            const std::string why = log.take();
            const bool midi = data.size() >= 4 && std::equal(data.begin(), data.begin() + 4, "MThd");
            if (why.empty() && midi)
                throw Error(path + " には曲がありません");
            throw Error(withDetail(path + " は MIDI ﾌｧｲﾙではありません", why));
        }
        d->loadSoundfont();
        d->player = new_fluid_player(d->synth);
        if (!d->player || fluid_player_add_mem(d->player, data.data(), data.size()) != FLUID_OK)
            throw Error(withDetail(path + " を開けません", log.take()));
        fluid_player_set_playback_callback(d->player, &Impl::forward, d.get());
        d->openOutput(log);
    } catch (...) {
        d->teardown();
        throw;
    }
}

void MidiPlayer::Play()
{
    if (!Opened())
        throw Error(NoDevice);
    if (d->tick() >= d->length) {
        // After its last event the player keeps "playing" silence for a while; a tune at
        // its end starts over at once instead.
        d->seekFrom = fluid_player_get_current_tick(d->player);
        fluid_player_stop(d->player);
        fluid_player_seek(d->player, 0);
    }
    d->setMuted(false);
    fluid_player_play(d->player);
}

void MidiPlayer::Stop()
{
    if (!Opened())
        throw Error(NoDevice);
    d->setMuted(true);
    fluid_player_stop(d->player);
    // The player would only send note-offs, and release tails would ring on.
    fluid_synth_all_sounds_off(d->synth, -1);
    // The synthesizer takes the silencing with its next audio block; waiting for it makes
    // a stopped tune silent when Stop returns. A stalled output is not waited for long.
    const auto giveUp = std::chrono::steady_clock::now() + SilenceWait;
    while (fluid_synth_get_active_voice_count(d->synth) > 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
}

bool MidiPlayer::IsStopped() const
{
    if (!Opened())
        return true;
    if (fluid_player_get_status(d->player) != FLUID_PLAYER_PLAYING)
        return true;
    return d->tick() >= d->length;
}

void MidiPlayer::Close()
{
    d->teardown();
}

bool MidiPlayer::Opened() const
{
    return d->driver != nullptr;
}

int MidiPlayer::Position() const
{
    return Opened() ? d->tick() : 0;
}

int MidiPlayer::Length() const
{
    return Opened() ? d->length : 0;
}

int MidiPlayer::SoundingVoices() const
{
    return Opened() ? fluid_synth_get_active_voice_count(d->synth) : 0;
}

} // namespace zorvat
