// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_output.h"

#include "error.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

namespace zorvat {

FileOutput::FileOutput(const std::string& path, double sampleRate, int periodFrames, Render render)
    : m_sampleRate(sampleRate)
    , m_periodFrames(periodFrames)
    , m_render(std::move(render))
{
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file)
        throw Error(path + " に書き込めません");
    m_thread = std::thread([this] { run(); });
}

FileOutput::~FileOutput()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
    std::fclose(m_file);
}

void FileOutput::run()
{
    std::vector<float> left(m_periodFrames);
    std::vector<float> right(m_periodFrames);
    std::vector<std::int16_t> frames(2 * m_periodFrames);
    const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(m_periodFrames / m_sampleRate));
    auto due = std::chrono::steady_clock::now();
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        lock.unlock();
        m_render(m_periodFrames, left.data(), right.data());
        for (int i = 0; i < m_periodFrames; ++i) {
            frames[2 * i] = static_cast<std::int16_t>(std::lround(std::clamp(left[i], -1.0f, 1.0f) * 32767));
            frames[2 * i + 1] = static_cast<std::int16_t>(std::lround(std::clamp(right[i], -1.0f, 1.0f) * 32767));
        }
        std::fwrite(frames.data(), sizeof(std::int16_t), frames.size(), m_file);
        std::fflush(m_file);
        due += period;
        lock.lock();
        m_wake.wait_until(lock, due, [this] { return m_stopping; });
    }
}

} // namespace zorvat
