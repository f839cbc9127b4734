// SPDX-License-Identifier: GPL-3.0-or-later
#include "synthesizer.h"

#include "error.h"
#include "file_output.h"
#include "log_capture.h"

#include <QTimer>

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <malloc.h>
#include <mutex>
#include <optional>

namespace zorvat {

namespace {

// Background music needs no live-playing latency: long periods wake the audio threads
// about ten times a second instead of hundreds. The output holds 4096 frames, 93 ms at
// 44.1 kHz: a stopped tune's voices are gone at once, and what is already on its way to
// the speakers plays out within that. The sound server holds one period; ALSA and OSS
// need two, so theirs are half as long.
constexpr int BufferFrames = 4096;
constexpr int Periods = 2;
// The synthesizer's own default leaves the tunes too quiet beside other programs.
constexpr double SynthGain = 0.6;
// The tunes never sound more than 38 voices at once; the default of 256 would hold
// two megabytes of voices that never sound.
constexpr int Polyphony = 64;
// With no tune playing (one stopped, or one that ended with nobody to play it again on
// the correct-answer and game-over screens) the output stops after two looks in a row;
// a switch of tunes, or the idle step restarting a looping tune, comes long before.
constexpr int IdleLookMs = 250;
constexpr int IdleLooks = 2;
// An output that failed is not asked again at every idle step.
constexpr auto RetryAfter = std::chrono::seconds(1);
constexpr int SettleFrames = 64;

constexpr const char* NoMusic = "音楽を再生できません。ｹﾞｰﾑは音楽なしでそのまま遊べます。";

// One line for each thing that was tried, under the headline.
std::string listed(const std::string& headline, const std::vector<std::string>& tried)
{
    std::string text = headline;
    for (const std::string& item : tried)
        text += "\n" + item;
    return text;
}

void quietAlsa(const char*, int, const char*, int, const char*, ...)
{
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

struct Synthesizer::Impl {
    MidiSetup setup;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    bool soundfontLoaded = false;
    bool outputTried = false;
    fluid_audio_driver_t* driver = nullptr;
    std::unique_ptr<FileOutput> file;
    Holder* holder = nullptr;
    // Whoever renders holds this: the audio thread for each period, a player for the
    // moments it changes what the synthesizer is made of.
    std::mutex rendering;
    std::chrono::steady_clock::time_point retryAt;
    // Why the synthesizer could not be made ready, once it could not.
    std::optional<std::string> failure;
    QTimer idleLook;
    int idleLooks = 0;

    void create()
    {
        LogCapture log;
        settings = new_fluid_settings();
        if (settings) {
            fluid_settings_setnum(settings, "synth.gain", SynthGain);
            fluid_settings_setint(settings, "synth.polyphony", Polyphony);
            fluid_settings_setint(settings, "audio.periods", Periods);
            synth = new_fluid_synth(settings);
        }
        if (!synth) {
            const std::string why = log.take();
            destroy();
            throw Error(withDetail("ｼﾝｾｻｲｻﾞｰを用意できません", why));
        }
    }

    void destroy()
    {
        closeOutput();
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
        synth = nullptr;
        settings = nullptr;
        soundfontLoaded = false;
    }

    void loadSoundfont()
    {
        for (const std::string& font : setup.soundfonts) {
            std::error_code ec;
            if (std::filesystem::is_regular_file(font, ec)
                && fluid_synth_sfload(synth, font.c_str(), 1) != FLUID_FAILED) {
                soundfontLoaded = true;
                // Loading leaves megabytes of scratch memory freed but held in the heap.
                malloc_trim(0);
                return;
            }
        }
        throw Error(listed("ｻｳﾝﾄﾞﾌｫﾝﾄが見つかりません:", setup.soundfonts));
    }

    void render(int frames, float* left, float* right)
    {
        const std::lock_guard lock(rendering);
        fluid_synth_write_float(synth, frames, left, 0, 1, right, 0, 1);
    }

    // The drivers' audio threads call here for each period. The effects are mixed into
    // the two outputs as the synthesizer mixes them for a plain stereo output.
    static int process(void* data, int frames, int nfx, float* fx[], int nout, float* out[])
    {
        for (int i = 0; i < nfx; ++i)
            std::fill_n(fx[i], frames, 0.0f);
        for (int i = 0; i < nout; ++i)
            std::fill_n(out[i], frames, 0.0f);
        if (nout >= 2)
            static_cast<Impl*>(data)->render(frames, out[0], out[1]);
        return FLUID_OK;
    }

    void openOutput(const std::string& name)
    {
        if (name == "file") {
            double rate = 0;
            fluid_settings_getnum(settings, "synth.sample-rate", &rate);
            file = std::make_unique<FileOutput>(setup.outputFile, rate, BufferFrames,
                [this](int frames, float* left, float* right) { render(frames, left, right); });
            return;
        }
        fluid_settings_setstr(settings, "audio.driver", name.c_str());
        const bool twoPeriods = name == "alsa" || name == "oss";
        fluid_settings_setint(settings, "audio.period-size", twoPeriods ? BufferFrames / Periods : BufferFrames);
        if (name == "jack")
            fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
        driver = new_fluid_audio_driver2(settings, &Impl::process, this);
    }

    // Each output is tried in turn, FluidSynth having no fallback of its own; the one that
    // answers is tried first from then on.
    bool openOutput(std::vector<std::string>& reasons)
    {
        // The sound library's own complaints about a missing sound card would only alarm
        // a player who started the game from a terminal; the error box says what matters.
        static std::once_flag quiet;
        std::call_once(quiet, [] { snd_lib_error_set_handler(&quietAlsa); });
        LogCapture log;
        for (auto name = setup.drivers.begin(); name != setup.drivers.end(); ++name) {
            std::string why;
            try {
                openOutput(*name);
            } catch (const Error& e) {
                why = e.what();
            }
            if (driver || file) {
                std::rotate(setup.drivers.begin(), name, name + 1);
                idleLooks = 0;
                idleLook.start();
                return true;
            }
            if (why.empty())
                why = log.take();
            reasons.push_back(why.empty() ? *name : *name + ": " + why);
        }
        return false;
    }

    // Never under the rendering lock: the audio thread finishes its period first.
    void closeOutput()
    {
        idleLook.stop();
        if (driver)
            delete_fluid_audio_driver(driver);
        driver = nullptr;
        file.reset();
    }

    void renderUnheard()
    {
        float left[SettleFrames];
        float right[SettleFrames];
        fluid_synth_write_float(synth, SettleFrames, left, 0, 1, right, 0, 1);
    }

    void lookForIdle()
    {
        bool idle = false;
        {
            const std::lock_guard lock(rendering);
            idle = (!holder || holder->finished()) && fluid_synth_get_active_voice_count(synth) == 0;
        }
        idleLooks = idle ? idleLooks + 1 : 0;
        if (idleLooks >= IdleLooks)
            closeOutput();
    }
};

Synthesizer::Synthesizer(MidiSetup setup)
    : d(std::make_unique<Impl>())
{
    d->setup = std::move(setup);
    d->idleLook.setInterval(IdleLookMs);
    QObject::connect(&d->idleLook, &QTimer::timeout, [impl = d.get()] { impl->lookForIdle(); });
}

Synthesizer::~Synthesizer()
{
    d->destroy();
}

void Synthesizer::prepare()
{
    // It fails alike for every tune: trying every sound driver again for the second tune would
    // only lengthen the start-up.
    if (d->failure)
        throw Error(*d->failure);
    try {
        if (!d->synth)
            d->create();
        // The output is tried first: without one, the soundfont is not worth its memory. It
        // stays open for the tune that is about to play.
        if (!d->outputTried) {
            std::vector<std::string> reasons;
            if (!d->openOutput(reasons)) {
                // A game without sound keeps no synthesizer either.
                d->destroy();
                throw Error(listed(NoMusic, reasons));
            }
            d->outputTried = true;
        }
        if (!d->soundfontLoaded)
            d->loadSoundfont();
    } catch (const Error& e) {
        d->failure = e.what();
        throw;
    }
}

fluid_synth_t* Synthesizer::handle() const
{
    return d->synth;
}

std::unique_lock<std::mutex> Synthesizer::exclusive()
{
    return std::unique_lock(d->rendering);
}

bool Synthesizer::holds(const Holder* tune) const
{
    return d->holder == tune;
}

void Synthesizer::handTo(Holder* tune)
{
    if (d->holder)
        d->holder->yield();
    // The yielded tune's last word (its notes released) is spoken before the reset.
    d->renderUnheard();
    // Programs and controllers of one tune must not colour the other; the new holder's
    // player sets its own again, replaying its events up to where it resumes.
    fluid_synth_system_reset(d->synth);
    d->holder = tune;
}

void Synthesizer::release(const Holder* tune)
{
    if (d->holder == tune)
        d->holder = nullptr;
}

void Synthesizer::renderUnheard()
{
    d->renderUnheard();
}

bool Synthesizer::startOutput()
{
    if (d->driver || d->file)
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < d->retryAt)
        return false;
    std::vector<std::string> reasons;
    if (d->openOutput(reasons))
        return true;
    d->retryAt = now + RetryAfter;
    return false;
}

int Synthesizer::soundingVoices() const
{
    return d->synth ? fluid_synth_get_active_voice_count(d->synth) : 0;
}

} // namespace zorvat
