// SPDX-License-Identifier: GPL-3.0-or-later
#include "synthesizer.h"

#include "audio_output.h"
#include "error.h"
#include "log_capture.h"

#include <fluidsynth.h>

#include <algorithm>
#include <filesystem>
#include <malloc.h>
#include <mutex>
#include <optional>

namespace zorvat {

namespace {

// The synthesizer's own default leaves the tunes too quiet beside other programs.
constexpr double SynthGain = 0.6;
// The tunes never sound more than 38 voices at once; the default of 256 would hold
// two megabytes of voices that never sound.
constexpr int Polyphony = 64;
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
    std::unique_ptr<AudioOutput> output;
    Holder* holder = nullptr;
    // Whoever renders holds this: the audio thread for each period, a player for the
    // moments it changes what the synthesizer is made of.
    std::mutex rendering;
    // Why the synthesizer could not be made ready, once it could not.
    std::optional<std::string> failure;

    void create()
    {
        LogCapture log;
        settings = new_fluid_settings();
        if (settings) {
            fluid_settings_setnum(settings, "synth.gain", SynthGain);
            fluid_settings_setint(settings, "synth.polyphony", Polyphony);
            synth = new_fluid_synth(settings);
        }
        if (!synth) {
            const std::string why = log.take();
            destroy();
            throw Error(withDetail("ｼﾝｾｻｲｻﾞｰを用意できません", why));
        }
        output = std::make_unique<AudioOutput>(
            setup.drivers, setup.outputFile, settings,
            [this](int frames, float* left, float* right) { render(frames, left, right); },
            [this] { return wanted(); });
    }

    void destroy()
    {
        output.reset();
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

    void renderUnheard()
    {
        float left[SettleFrames];
        float right[SettleFrames];
        fluid_synth_write_float(synth, SettleFrames, left, 0, 1, right, 0, 1);
    }

    // Something is to be heard while a tune plays or its last notes ring.
    bool wanted()
    {
        const std::lock_guard lock(rendering);
        return (holder && !holder->finished()) || fluid_synth_get_active_voice_count(synth) > 0;
    }
};

Synthesizer::Synthesizer(MidiSetup setup)
    : d(std::make_unique<Impl>())
{
    d->setup = std::move(setup);
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
            if (!d->output->open(reasons)) {
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

void Synthesizer::startOutput()
{
    if (d->output)
        d->output->start();
}

int Synthesizer::soundingVoices() const
{
    return d->synth ? fluid_synth_get_active_voice_count(d->synth) : 0;
}

} // namespace zorvat
