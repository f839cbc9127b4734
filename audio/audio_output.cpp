// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_output.h"

#include "error.h"
#include "log_capture.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <algorithm>
#include <mutex>

namespace zorvat {

namespace {

// Background music needs no live-playing latency: long periods wake the audio threads
// about ten times a second instead of hundreds. The output holds 4096 frames, 93 ms at
// 44.1 kHz: a stopped tune's voices are gone at once, and what is already on its way to
// the speakers plays out within that. The sound server holds one period; ALSA and OSS
// need two, so theirs are half as long.
constexpr int BufferFrames = 4096;
constexpr int Periods = 2;
// With nothing to be heard (a tune stopped, or one that ended with nobody to play it again on
// the correct-answer and game-over screens) the output closes after two looks in a row; a
// switch of tunes, or the idle step restarting a looping tune, comes long before.
constexpr int LookMs = 250;
constexpr int IdleLooks = 2;
// An output asks for a period every 93 ms at the longest; one that has asked for none over
// four looks while a tune plays has stalled.
constexpr int StalledLooks = 4;
// Tries while no output answers: a restarting sound server is back within a second or so, one
// that stays away costs a try every two seconds.
constexpr int FirstRetryMs = 1000;
constexpr int LastRetryMs = 2000;

void quietAlsa(const char*, int, const char*, int, const char*, ...)
{
}

} // namespace

AudioOutput::AudioOutput(
    std::vector<std::string> drivers, std::string outputFile, fluid_settings_t* settings, Render render, Wanted wanted)
    : m_drivers(std::move(drivers))
    , m_outputFile(std::move(outputFile))
    , m_settings(settings)
    , m_render(std::move(render))
    , m_wanted(std::move(wanted))
{
    fluid_settings_setint(m_settings, "audio.periods", Periods);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { isOpen() ? look() : retry(); });
}

AudioOutput::~AudioOutput()
{
    close();
}

// The drivers' audio threads call here for each period. The effects are mixed into the two
// outputs as the synthesizer mixes them for a plain stereo output.
int AudioOutput::process(void* data, int frames, int nfx, float* fx[], int nout, float* out[])
{
    for (int i = 0; i < nfx; ++i)
        std::fill_n(fx[i], frames, 0.0f);
    for (int i = 0; i < nout; ++i)
        std::fill_n(out[i], frames, 0.0f);
    if (nout >= 2)
        static_cast<AudioOutput*>(data)->period(frames, out[0], out[1]);
    return FLUID_OK;
}

void AudioOutput::period(int frames, float* left, float* right)
{
    m_render(frames, left, right);
    m_periods.fetch_add(1, std::memory_order_relaxed);
}

void AudioOutput::openDriver(const std::string& name)
{
    if (name == "file") {
        double rate = 0;
        fluid_settings_getnum(m_settings, "synth.sample-rate", &rate);
        m_file = std::make_unique<FileOutput>(m_outputFile, rate, BufferFrames,
            [this](int frames, float* left, float* right) { period(frames, left, right); });
        return;
    }
    fluid_settings_setstr(m_settings, "audio.driver", name.c_str());
    const bool twoPeriods = name == "alsa" || name == "oss";
    fluid_settings_setint(m_settings, "audio.period-size", twoPeriods ? BufferFrames / Periods : BufferFrames);
    if (name == "jack")
        fluid_settings_setint(m_settings, "audio.jack.autoconnect", 1);
    m_driver = new_fluid_audio_driver2(m_settings, &AudioOutput::process, this);
}

// Each output is tried in turn, FluidSynth having no fallback of its own; the one that answers
// is tried first from then on.
bool AudioOutput::open(std::vector<std::string>& reasons)
{
    if (isOpen())
        return true;
    // The sound library's own complaints about a missing sound card would only alarm a player
    // who started the game from a terminal; the error box says what matters.
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(&quietAlsa); });
    LogCapture log;
    for (auto name = m_drivers.begin(); name != m_drivers.end(); ++name) {
        std::string why;
        try {
            openDriver(*name);
        } catch (const Error& e) {
            why = e.what();
        }
        if (isOpen()) {
            std::rotate(m_drivers.begin(), name, name + 1);
            m_periodsSeen = m_periods.load(std::memory_order_relaxed);
            m_errorsSeen = loggedErrors();
            m_idleLooks = 0;
            m_stalledLooks = 0;
            m_retryMs = 0;
            m_timer.start(LookMs);
            return true;
        }
        if (why.empty())
            why = log.take();
        reasons.push_back(why.empty() ? *name : *name + ": " + why);
    }
    return false;
}

void AudioOutput::start()
{
    std::vector<std::string> reasons;
    if (!open(reasons))
        tryLater();
}

void AudioOutput::close()
{
    m_timer.stop();
    if (m_driver)
        delete_fluid_audio_driver(m_driver);
    m_driver = nullptr;
    m_file.reset();
}

// A try already waiting keeps its time, so a tune asked for again and again brings no more tries.
void AudioOutput::tryLater()
{
    if (m_timer.isActive())
        return;
    m_retryMs = m_retryMs == 0 ? FirstRetryMs : std::min(2 * m_retryMs, LastRetryMs);
    m_timer.start(m_retryMs);
}

void AudioOutput::look()
{
    const unsigned periods = m_periods.load(std::memory_order_relaxed);
    const bool moved = periods != m_periodsSeen;
    m_periodsSeen = periods;
    m_stalledLooks = moved ? 0 : m_stalledLooks + 1;
    // An output that has stalled and said why it gave up is lost: its sound server went away, and
    // its thread has ended, so closing it waits for nothing. One that stalled without a word waits
    // on a server that hangs; it goes on by itself once the server answers, and closing it would
    // hold the game until then.
    const bool lost = m_stalledLooks >= StalledLooks && loggedErrors() != m_errorsSeen;
    const bool waiting = m_stalledLooks > 0 && !lost;
    if (!m_wanted()) {
        if (++m_idleLooks >= IdleLooks && !waiting)
            close();
        return;
    }
    m_idleLooks = 0;
    // The tune stands still meanwhile, as the synthesizer moves it on only for an output: it goes
    // on from the note where the sound broke off.
    if (lost) {
        close();
        tryLater();
    }
}

void AudioOutput::retry()
{
    m_timer.stop();
    // Nothing to be heard any more: the next tune to play opens the output itself.
    if (!m_wanted()) {
        m_retryMs = 0;
        return;
    }
    start();
}

} // namespace zorvat
