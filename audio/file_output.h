// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace zorvat {

// Sound written into a file of raw 16-bit stereo frames in real time: a period at a time,
// when a sound card would ask for it, so a tune advances as it would through speakers on
// a machine without one.
class FileOutput {
public:
    using Render = std::function<void(int frames, float* left, float* right)>;

    /** Starts writing into `path`; throws Error when the file cannot be created. */
    FileOutput(const std::string& path, double sampleRate, int periodFrames, Render render);
    ~FileOutput();
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

private:
    void run();

    std::FILE* m_file = nullptr;
    double m_sampleRate;
    int m_periodFrames;
    Render m_render;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace zorvat
