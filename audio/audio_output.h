// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "file_output.h"

#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_audio_driver_t fluid_audio_driver_t;

namespace zorvat {

// The synthesizer's way to the speakers. It opens the first output of its list that answers,
// closes it once nothing has sounded for a moment, so a game with no tune playing runs no sound
// thread, and opens it again when it is lost: a sound server that restarts takes the output's
// connection with it, and the output's thread ends with no word but one in the synthesizer's log.
// While something should be heard and no output answers, one is tried every second or two.
class AudioOutput {
public:
    using Render = std::function<void(int frames, float* left, float* right)>;
    /** True while something should be heard: a tune plays, or its last notes still ring. */
    using Wanted = std::function<bool()>;

    /** An output from `drivers`, tried in order ("file" writes raw samples to `outputFile`), made with
        `settings`; `render` fills each period on the output's thread, `wanted` is asked on this one. */
    AudioOutput(std::vector<std::string> drivers, std::string outputFile, fluid_settings_t* settings, Render render,
        Wanted wanted);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    /** Opens an output unless one is open; false with each output's reason added to `reasons`. */
    bool open(std::vector<std::string>& reasons);
    /** Opens an output unless one is open; without one just now, another try follows for as long
        as something should be heard. */
    void start();
    /** Closes the output; never under a lock that `render` takes, as its last period finishes first. */
    void close();

private:
    bool isOpen() const { return m_driver || m_file; }
    void openDriver(const std::string& name);
    void tryLater();
    void look();
    void retry();
    void period(int frames, float* left, float* right);
    static int process(void* data, int frames, int nfx, float* fx[], int nout, float* out[]);

    std::vector<std::string> m_drivers;
    std::string m_outputFile;
    fluid_settings_t* m_settings;
    Render m_render;
    Wanted m_wanted;
    fluid_audio_driver_t* m_driver = nullptr;
    std::unique_ptr<FileOutput> m_file;
    // Periods rendered so far: an output that stops asking for them while a tune plays has stalled.
    std::atomic<unsigned> m_periods = 0;
    unsigned m_periodsSeen = 0;
    unsigned m_errorsSeen = 0;
    int m_idleLooks = 0;
    int m_stalledLooks = 0;
    int m_retryMs = 0;
    // Looks at the open output, or the next try while none answers.
    QTimer m_timer;
};

} // namespace zorvat
