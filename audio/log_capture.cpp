// SPDX-License-Identifier: GPL-3.0-or-later
#include "log_capture.h"

#include <fluidsynth.h>

#include <mutex>
#include <vector>

namespace zorvat {

namespace {

struct Captured {
    std::mutex mutex;
    int listeners = 0;
    std::vector<std::string> lines;
    unsigned errors = 0;
};

Captured& captured()
{
    static Captured c;
    return c;
}

void log(int level, const char* message, void* data)
{
    Captured& c = captured();
    {
        const std::lock_guard lock(c.mutex);
        ++c.errors;
        if (c.listeners > 0) {
            c.lines.emplace_back(message ? message : "");
            return;
        }
    }
    fluid_default_log_function(level, message, data);
}

void install()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        for (const int level : { FLUID_PANIC, FLUID_ERR })
            fluid_set_log_function(level, &log, nullptr);
        for (const int level : { FLUID_WARN, FLUID_INFO, FLUID_DBG })
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

} // namespace

LogCapture::LogCapture()
{
    install();
    Captured& c = captured();
    const std::lock_guard lock(c.mutex);
    // An outer capture keeps what was logged before this one began.
    if (c.listeners++ == 0)
        c.lines.clear();
}

LogCapture::~LogCapture()
{
    Captured& c = captured();
    const std::lock_guard lock(c.mutex);
    if (--c.listeners == 0)
        c.lines.clear();
}

std::string LogCapture::take()
{
    Captured& c = captured();
    const std::lock_guard lock(c.mutex);
    std::string text;
    for (const std::string& line : c.lines)
        text += (text.empty() ? "" : "; ") + line;
    c.lines.clear();
    return text;
}

unsigned loggedErrors()
{
    install();
    Captured& c = captured();
    const std::lock_guard lock(c.mutex);
    return c.errors;
}

std::string withDetail(const std::string& text, const std::string& detail)
{
    return detail.empty() ? text : text + " (" + detail + ")";
}

} // namespace zorvat
